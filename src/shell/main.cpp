// Placeholder until the main window lands.
#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::fprintf(stderr, "tavero: Hauptfenster noch nicht gebaut\n");
    return 1;
}

// tavero-demo --out DIR [--alarms N] [--pictures P] [--seed S]
#include <QCoreApplication>
#include <cstdio>

#include "DemoProjekt.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "tavero-demo: noch nicht gebaut\n");
    return 1;
}

#include "werkzeuge/Schaerfe.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

std::array<int, 256> Schaerfe::Haeufigkeit(const std::vector<std::uint8_t>& grau) {
    std::array<int, 256> haeufig{};
    for (const std::uint8_t v : grau)
        ++haeufig[v];
    return haeufig;
}

int Schaerfe::Anteil(const std::array<int, 256>& haeufig, std::size_t anzahl, double q) {
    int summe = 0;
    for (int v = 0; v < 256; ++v)
        if ((summe += haeufig[static_cast<std::size_t>(v)]) >= q * static_cast<double>(anzahl))
            return v;
    return 255;
}

double Schaerfe::Kanten(const std::vector<std::uint8_t>& grau, int breite, int hoehe) {
    if (breite < 2 || hoehe < 2 || grau.size() < static_cast<std::size_t>(breite) * hoehe)
        return -1;
    const std::array<int, 256> haeufig = Haeufigkeit(grau);
    auto anteil = [&](double q) { return Anteil(haeufig, grau.size(), q); };
    // ink and ground as the stretch before reading takes them; a light label is measured the same
    const int kontrast = anteil(0.85) - anteil(0.03);
    const int umgekehrt = anteil(0.97) - anteil(0.15);
    const int k = std::max(kontrast, umgekehrt);
    if (k < 24)
        return -1;
    std::vector<int> schritte;
    schritte.reserve(2 * grau.size());
    for (int y = 0; y < hoehe; ++y)
        for (int x = 0; x < breite; ++x) {
            const int v = grau[static_cast<std::size_t>(y) * breite + x];
            if (x + 1 < breite)
                schritte.push_back(std::abs(grau[static_cast<std::size_t>(y) * breite + x + 1] - v));
            if (y + 1 < hoehe)
                schritte.push_back(std::abs(grau[static_cast<std::size_t>(y + 1) * breite + x] - v));
        }
    const std::size_t n = std::max<std::size_t>(1, schritte.size() / 20);
    std::nth_element(schritte.begin(), schritte.begin() + static_cast<std::ptrdiff_t>(n - 1), schritte.end(), std::greater<int>());
    double summe = 0;
    for (std::size_t i = 0; i < n; ++i)
        summe += schritte[i];
    return summe / static_cast<double>(n) / k;
}

void Schaerfe::Schaerfen(std::vector<std::uint8_t>& grau, int breite, int hoehe, double sigma, double staerke) {
    if (breite < 1 || hoehe < 1 || sigma <= 0 || grau.size() < static_cast<std::size_t>(breite) * hoehe)
        return;
    const int r = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kern(static_cast<std::size_t>(2 * r + 1));
    double summe = 0;
    for (int i = -r; i <= r; ++i)
        summe += kern[static_cast<std::size_t>(i + r)] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& k : kern)
        k /= summe;
    // separable: across, then down; the edge pixel stands for what lies beyond it. Each pixel's
    // terms are added in the same order everywhere; the clamping is needed only near the edges,
    // and the pass down runs along the rows, so that both go at the speed of memory.
    const std::size_t b = static_cast<std::size_t>(breite);
    std::vector<double> quer(grau.size()), weich(grau.size(), 0.0);
    for (int y = 0; y < hoehe; ++y) {
        const std::uint8_t* zeile = grau.data() + static_cast<std::size_t>(y) * b;
        double* ziel = quer.data() + static_cast<std::size_t>(y) * b;
        for (int x = 0; x < breite; ++x) {
            double s = 0;
            if (x >= r && x + r < breite)
                for (int i = -r; i <= r; ++i)
                    s += kern[static_cast<std::size_t>(i + r)] * zeile[x + i];
            else
                for (int i = -r; i <= r; ++i)
                    s += kern[static_cast<std::size_t>(i + r)] * zeile[std::clamp(x + i, 0, breite - 1)];
            ziel[x] = s;
        }
    }
    for (int y = 0; y < hoehe; ++y) {
        double* ziel = weich.data() + static_cast<std::size_t>(y) * b;
        for (int i = -r; i <= r; ++i) {
            const double k = kern[static_cast<std::size_t>(i + r)];
            const double* quelle = quer.data() + static_cast<std::size_t>(std::clamp(y + i, 0, hoehe - 1)) * b;
            for (std::size_t x = 0; x < b; ++x)
                ziel[x] += k * quelle[x];
        }
    }
    for (std::size_t i = 0; i < grau.size(); ++i)
        grau[i] = static_cast<std::uint8_t>(std::clamp(std::lround(grau[i] + staerke * (grau[i] - weich[i])), 0L, 255L));
}

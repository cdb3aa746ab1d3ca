#pragma once
// One "name value unit" line per figure.
#include <cmath>
#include <cstdio>
#include <string>

inline void BenchZeile(const std::string& name, double wert, const std::string& einheit) {
    // Counts print as whole numbers, measurements with four significant digits.
    if (wert == std::floor(wert) && std::fabs(wert) < 1e15)
        std::printf("%s %.0f %s\n", name.c_str(), wert, einheit.c_str());
    else
        std::printf("%s %.4g %s\n", name.c_str(), wert, einheit.c_str());
    std::fflush(stdout);
}

#pragma once
// One "name value unit" line per figure.
#include <cstdio>
#include <string>

inline void BenchZeile(const std::string& name, double wert, const std::string& einheit) {
    std::printf("%s %.4g %s\n", name.c_str(), wert, einheit.c_str());
    std::fflush(stdout);
}

// Placeholder until these figures are measured.
#include "Benchmarks.h"

void BenchAuswahlFenster(const QString&) {}

#include "projects/CRegProject.h"

CRegProject::CRegProject() = default;
CRegProject::~CRegProject() = default;

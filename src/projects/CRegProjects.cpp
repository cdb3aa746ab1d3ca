#include "projects/CRegProjects.h"

CRegProjects::CRegProjects() = default;
CRegProjects::~CRegProjects() = default;

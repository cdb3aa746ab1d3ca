#include "projects/CKVIProject.h"

CKVIProject::CKVIProject() = default;
CKVIProject::~CKVIProject() = default;

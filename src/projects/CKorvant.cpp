#include "projects/CKorvant.h"

CKorvant::CKorvant() = default;
CKorvant::~CKorvant() = default;

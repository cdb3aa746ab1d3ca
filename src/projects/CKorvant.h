#pragma once
// Placeholder until the project classes land.
class CKorvant {
public:
    CKorvant();
    ~CKorvant();
};

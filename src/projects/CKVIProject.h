#pragma once
// Placeholder until the project classes land.
class CKVIProject {
public:
    CKVIProject();
    ~CKVIProject();
};

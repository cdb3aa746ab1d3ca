#pragma once
// Placeholder until the project classes land.
class CRegProject {
public:
    CRegProject();
    ~CRegProject();
};

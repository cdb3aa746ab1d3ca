#pragma once
// Placeholder until the project classes land.
class CRegProjects {
public:
    CRegProjects();
    ~CRegProjects();
};

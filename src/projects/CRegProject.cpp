// Placeholder until the project classes land.

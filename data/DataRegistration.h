#pragma once
// The data library's one registration call (see DataRegistration.cpp).

// Makes the data module's and the data windows' classes known to FindClass,
// after the grid and storage libraries'; calling it again does nothing.
void RegisterDataLibrary();

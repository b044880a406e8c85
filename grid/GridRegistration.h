#pragma once
// The grid library's one registration call (see GridRegistration.cpp).

// Makes the grid's classes known to FindClass, after the windowing library's;
// calling it again does nothing.
void RegisterGridLibrary();

#pragma once
// The storage library's one registration call (see StorageRegistration.cpp).

// Makes the storage classes known to FindClass, after the windowing library's;
// calling it again does nothing.
void RegisterStorageLibrary();

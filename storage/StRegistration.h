#pragma once
// Makes the storage, placement and hook components known to the form
// definitions (FindClass). Call it before reading a definition that holds one.
void RegisterStorageClasses();

#pragma once
// The storage library's one registration call: makes the storage, placement
// and hook components known to the form definitions (FindClass), after the
// windowing library's, and sends the stores' reports of damaged settings files
// to the application. Called once at start-up; calling it again does nothing.
void RegisterStorageClasses();

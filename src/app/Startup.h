#pragma once

// The program's entry: start-up, the main window, its message loop.
int Main(int argc, char** argv);

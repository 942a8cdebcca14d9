#pragma once

// The application: builds the main window, runs it modally, and ends.
class CMonitorApp
{
public:
    // Returns the process's exit status.
    static int Run(int argc, char** argv);

    // Builds the dialog, runs it, tears it down; always false, as the
    // program ends when the dialog does.
    static bool InitInstance();
};

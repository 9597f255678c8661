#pragma once
// Started from the Run key, a shortcut without "Start in" or another
// program, the widget's current directory can be anywhere (System32 from
// the Run key); its pictures, city list and settings lie beside it.

// When the current directory holds no Resources/base.png and the program's
// folder does, makes the program's folder the current directory. Otherwise
// changes nothing. Runs before any file is read or written.
void EnterProgramFolderWhenNeeded();

#include <windows.h>

#include "app/start_folder.h"

#include "services/program_files.h"

namespace {
const char kBasePicture[] = "Resources\\base.png";
}

void EnterProgramFolderWhenNeeded() {
  if (FileExists(kBasePicture)) return;
  const std::string folder = ProgramFolder();
  if (FileExists(folder + "\\" + kBasePicture)) SetCurrentDirectoryA(folder.c_str());
}

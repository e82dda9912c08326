#pragma once
// What kvrhost checks of the files it is given before it uses them: a module must be a shared library
// of this machine, whole (a file cut short would make the loader fault on pages that are not there);
// a script must be a regular file it can read.
#include <string>

// False with the reason when the file is not a loadable shared library of this machine: not there,
// not an ELF file of this word size, byte order and machine, not a shared object, or shorter than its
// headers and loaded segments say.
bool CheckModuleFile(const std::string& path, std::string& reason);
// False with the reason when the script is not a regular file that can be read.
bool CheckScriptFile(const std::string& path, std::string& reason);
// The program a module file is, as the module names itself: its name up to the last digit before the
// first dot, in capitals (KVRX58C.so is KVRX58); empty for a name without a dot.
std::string ProgramOfModule(const std::string& path);

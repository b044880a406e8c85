#pragma once
// Where the program keeps its files, and the safe whole-file write.
#include "platform/rtl/CodePage.h"

// The folder "beside the executable", with a trailing '/': the executable's own
// folder when it is writable, else the user's data folder (UserDataFolder),
// which receives the shipped files it lacks. Tests point it elsewhere. Raises
// EOSError with the reason when neither folder can be used.
AnsiString ProgramFolder();
// Replaces the answer of ProgramFolder (a trailing '/' is added when missing);
// an empty Folder returns to the real one.
void SetProgramFolderForTests(const AnsiString& Folder);

// The running executable's folder, with a trailing '/'.
AnsiString ExecutableFolder();
// $XDG_DATA_HOME/Tesk/, by default ~/.local/share/Tesk/.
AnsiString UserDataFolder();
// The rule behind ProgramFolder: ExeFolder when writable, else DataFolder,
// created when missing and given a copy of every regular, non-executable file
// of ExeFolder that it does not have yet. Both answers end in '/'. A data
// folder that cannot be created raises EOSError naming it and the reason.
AnsiString ResolveProgramFolder(const AnsiString& ExeFolder, bool ExeFolderWritable, const AnsiString& DataFolder);

// Writes Bytes to a new file in FileName's folder and renames it over FileName,
// so that readers see the old or the new contents, never a mixture. A file
// that existed keeps its permissions; a symbolic link keeps pointing at the
// file, which is replaced. Raises EFCreateError "Cannot create file <name>. <reason>";
// the old file stays as it was.
void WriteFileAtomically(const AnsiString& FileName, const AnsiString& Bytes);
// The same without raising: Error is 0 or the errno of the failure, after
// which the old file is as it was. PermissionRefused tells that the folder
// refused the temporary file, the one failure a caller may work around.
struct TAtomicWrite {
    int Error = 0;
    bool PermissionRefused = false;
};
TAtomicWrite TryWriteFileAtomically(const AnsiString& FileName, const AnsiString& Bytes);

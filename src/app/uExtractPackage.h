#pragma once
// Unpacks the saver package of an executable into the working folder and removes it again.
#include <string>

#include "app/uCommonUtil.h"
#include "package/uCreatorProject.h"

namespace ky {

// The files the package unpacks to, in the working folder.
constexpr const char* kProjectFile = "KyC.res";
constexpr const char* kMediaBundleFile = "KyFiles.res";
constexpr const char* kFinalFile = "KyFinal.res";
constexpr const char* kNameListFile = "KyFilenames.res";
constexpr const char* kWindowFile = "KyGUI.kyu";

// The name a media file gets in the working folder, or empty when it gets none: unsafe names,
// and the names the package itself and the lock use, so that a media file cannot replace them.
std::string MediaDestinationName(const std::string& storedName);

// Extracts everything into the working folder, loads the project and points its file names at
// the extracted files. Throws TKyError naming the executable when it holds no package.
void ExtractPackage(TKyCProject& project, const std::string& exePath, TWorkFolder& work);

// Deletes what ExtractPackage wrote and the working folder; failures are ignored.
void RemoveExtractedFiles(TWorkFolder& work);

}  // namespace ky

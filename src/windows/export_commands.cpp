// The main window's exports: the picture as PNG (Control+S), the lines in view as CSV
// (Control+E) and the same CSV on the clipboard (Control+C). They only read the program's state:
// the view, the selection and the picture stay as they are.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/program.h"
#include "database/replace_file.h"
#include "windows/export_content.h"
#include "windows/windows.h"

namespace quorvanta {

namespace {

// The picture as shown: the spectrum's rows of the main grid, without the controls below it.
constexpr std::int32_t kPictureWidth = 1000;
constexpr std::int32_t kPictureHeight = 600;

constexpr std::string_view kNotSavedTitle = "Quorvanta - not saved";

struct ExportKind {
    std::string_view dialogTitle;
    std::string_view typeName;
    std::string_view extension;
    std::string_view whatFailed;  // begins the warning
};

constexpr ExportKind kPictureExport{"Quorvanta - save the picture", "PNG picture", "png",
                                    "The picture was not saved"};
constexpr ExportKind kLinesExport{"Quorvanta - save the lines", "CSV table", "csv",
                                  "The lines were not saved"};

// Asks where, proposing the view's name in the folder last saved to (at first the program's
// folder), and writes the bytes there as a whole or not at all.
void saveAs(const ExportKind& kind, std::span<const std::uint8_t> bytes) {
    const std::string folder =
        program.exportFolder.empty() ? program.programDirectory : program.exportFolder;
    const std::string proposed =
        (std::filesystem::path(folder) /
         (exportFileStem(program.view) + "." + std::string(kind.extension)))
            .string();
    const auto chosen = XuiChooseSaveFile(program.mainWindow, kind.dialogTitle, proposed,
                                          kind.typeName, kind.extension);
    if (!chosen) return;
    program.exportFolder = std::filesystem::path(*chosen).parent_path().string();
    std::string error;
    if (bytes.empty()) error = "there is no picture to save";
    if (error.empty() && replaceFile(*chosen, bytes, error)) return;
    XuiShowWarning(program.mainWindow, kNotSavedTitle,
                   std::string(kind.whatFailed) + ": " + error + ".");
}

std::string linesCsv() {
    return writeCatalogueCsv(linesInView(program.database, program.view));
}

}  // namespace

void savePicture() {
    // Taken before the dialog opens: the picture as it was when the user asked.
    const std::vector<std::uint8_t> png =
        XgrEncodeGridPng(program.mainWindow, 0, 0, kPictureWidth, kPictureHeight);
    saveAs(kPictureExport, png);
}

void saveLines() {
    const std::string csv = linesCsv();
    saveAs(kLinesExport, std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
}

void copyLines() {
    XuiSetClipboardText(linesCsv());
}

}  // namespace quorvanta

// What the program hands to the rest of the desktop: files chosen in the platform's save dialog,
// text on the clipboard, and pictures of grids as PNG files.

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

using namespace xb;

std::optional<std::string> XuiChooseSaveFile(std::int32_t grid, std::string_view title,
                                             const std::string& proposedPath,
                                             std::string_view typeName,
                                             std::string_view extension) {
    ensureApplication();
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    QWidget* parent = win ? win->widget.data() : nullptr;
    const QString suffix = latin1(std::string(extension));
    // A dialog of the platform wherever the platform offers one (its theme decides); Qt's own
    // widget otherwise. Either asks before a file is replaced.
    QPointer<QFileDialog> dialog =
        new QFileDialog(parent, latin1(std::string(title)), QString(),
                        latin1(std::string(typeName)) + QStringLiteral(" (*.") + suffix + ')');
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(suffix);
    const QFileInfo proposed(QFile::decodeName(proposedPath.c_str()));
    dialog->setDirectory(proposed.absolutePath());
    dialog->selectFile(proposed.fileName());
    const bool accepted = dialog->exec() == QDialog::Accepted;
    std::optional<std::string> chosen;
    // The dialog is gone if its window was destroyed meanwhile (the toolkit reset, say).
    if (dialog && accepted && !dialog->selectedFiles().isEmpty())
        chosen = QFile::encodeName(dialog->selectedFiles().constFirst()).toStdString();
    delete dialog.data();
    return chosen;
}

void XuiSetClipboardText(std::string_view text) {
    ensureApplication();
    QGuiApplication::clipboard()->setText(latin1(std::string(text)));
}

std::vector<std::uint8_t> XgrEncodeGridPng(std::int32_t grid, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height) {
    const QImage* image = drawTarget(grid);
    if (!image || width <= 0 || height <= 0 || !image->rect().contains(QRect(x, y, width, height)))
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image->copy(x, y, width, height).save(&buffer, "PNG")) return {};
    return {bytes.begin(), bytes.end()};
}

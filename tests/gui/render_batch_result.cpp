// Renders the result of a mixed batch, as the dialog shows it in the user's language, into a PNG
// for the documentation:
//   morvex_batch_result_screenshot OUTPUT.png
// Run it with QT_QPA_PLATFORM=offscreen and LANGUAGE=ja; it uses the IPA P Gothic font when
// installed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <cstdio>

#include "app/core/dialog_model.h"
#include "app/core/profile_file.h"
#include "app/gui/batch_result_dlg.h"
#include "app/gui/ce2_paths.h"
#include "ce2_builder/ce2_builder.h"
#include "scripted_dialogs.h"

namespace {

bool write(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// A drawing of wires; `outside` more of them lie far off the sheet and are left out.
std::string drawing(int outside) {
    using namespace ce2build;
    std::string bytes = header({});
    for (int i = 0; i < 4; ++i) {
        bytes += line(kWire, 0, 10, 10 + 20 * i, 300, 10 + 20 * i);
    }
    for (int i = 0; i < outside; ++i) {
        bytes += line(kWire, 0, 90000, 10 + 20 * i, 90300, 10 + 20 * i);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: morvex_batch_result_screenshot OUTPUT.png\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))) {
        QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    }
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("回路図-XXXXXX")));
    // Drawings converted whole and in part, one too short to convert, one that is gone.
    const struct {
        const char* name;
        int outside;  // negative: no file; 0 and more: a drawing with that many left out
    } files[] = {
        {"電源部.ce2", 0}, {"amp.CE2", 0},          {"cpu_board.ce2", 2},
        {"io.ce2", 0},     {"旧版/入力段.ce2", -1}, {"empty.ce2", -2},
    };
    std::vector<std::string> paths;
    for (const auto& file : files) {
        const QString path = dir.filePath(QString::fromUtf8(file.name));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (file.outside >= 0 && !write(path, drawing(file.outside))) {
            std::fputs("morvex_batch_result_screenshot: cannot write a drawing\n", stderr);
            return 1;
        }
        if (file.outside == -2 && !write(path, ce2build::header({}))) {
            return 1;
        }
        paths.push_back(QFile::encodeName(path).toStdString());
    }
    ProfileFile settings(dir.filePath(QStringLiteral("MORVEX.INI")).toStdString());
    DialogModel model(settings, comesBeforeInList);
    model.drop(paths);
    const BatchStart start = model.convert();
    if (!start.result) {
        std::fputs("morvex_batch_result_screenshot: the batch did not run\n", stderr);
        return 1;
    }
    ScriptedDialogs dialogs;
    BatchResultDlg result(*start.result, dir.filePath(QStringLiteral("morvex-report.csv")),
                          dialogs);
    result.resize(result.width(), result.minimumSizeHint().height() + 120);
    result.show();
    QApplication::processEvents();  // lets the list lay out and paint
    return result.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

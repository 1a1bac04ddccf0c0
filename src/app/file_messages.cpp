#include "app/file_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>

#include "io/path_text.h"
#include "launch/path_text.h"


namespace varnelo {

namespace {

// About the width of the message line above it: a box of a sensible size.
constexpr int PATH_LINE_WIDTH = 420;

bool BreaksAfter(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\'); }

}  // namespace

QString FileMessages::reason(const Status& error) {
    switch (error.cause) {
        case Status::Cause::CutShort:
            return tr("%1 件と書かれていますが、完全なレコードは %2 件しかありません").arg(error.announced).arg(error.holds);
        case Status::Cause::ReadError: return tr("読み込み中にエラーが起きました (%1)").arg(QString::fromLocal8Bit(error.systemError));
        case Status::Cause::TooShort:
            return tr("%1 バイトしかなく、パラメータブロックと件数 (%2 バイト) より短いです")
                .arg(static_cast<qulonglong>(error.size))
                .arg(DATA_FILE_HEADER_SIZE);
        case Status::Cause::CountOutside:
            return tr("レコード数 %1 が 0〜%2 の範囲外です").arg(error.announced).arg(RECORD_CAPACITY);
        case Status::Cause::EmptyStream: return tr("パイプまたはデバイスから何も届きませんでした");
        case Status::Cause::Busy: return tr("別のプログラムが書き込み中です");
        default: break;
    }
    if (error.kind == Status::Kind::NotRegular) return tr("パイプ、FIFO またはデバイスです");
    const QFileInfo file(FromPath(PathOfText(error.path)));
    if (error.kind == Status::Kind::SaveFailed) {
        const QFileInfo folder(file.absolutePath());
        if (!folder.exists()) return tr("保存先のフォルダーがありません");
        if (file.isDir()) return tr("フォルダーです");
        if (!folder.isWritable() || (file.exists() && !file.isWritable())) return tr("書き込みが許可されていません");
        return tr("書き込めませんでした (ディスクがいっぱいか、取り外されました)");
    }
    if (!error.path.empty() && !file.exists()) return tr("ファイルがありません");
    if (file.isDir()) return tr("フォルダーです");
    if (file.exists() && !file.isReadable()) return tr("読み取りが許可されていません");
    return tr("データファイルとして読めません");
}

QString FileMessages::exportReason(const QString& path) {
    Status error{Status::Kind::SaveFailed, {}};
    error.path = PathText(ToPath(path));
    return reason(error);
}

QString BreakAtSeparators(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (BreaksAfter(text[i]) || i + 1 == text.size()) {
            pieces << text.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    QStringList lines;
    QString line;
    for (const QString& piece : pieces) {
        if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
            lines << line;
            line.clear();
        }
        line += piece;
    }
    if (!line.isEmpty()) lines << line;
    return lines.join(QLatin1Char('\n'));
}

void ShowFileProblem(QWidget* parent, const QString& message, const QString& path) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setInformativeText(QStringLiteral("-"));  // makes the label, to learn its font
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    const QFontMetrics metrics(label != nullptr ? label->font() : box.font());
    box.setInformativeText(BreakAtSeparators(QDir::toNativeSeparators(path), metrics, PATH_LINE_WIDTH));
    // The lines are broken already; the label's own wrapping would cut names anywhere.
    if (label != nullptr) label->setWordWrap(false);
    box.exec();
}

}  // namespace varnelo

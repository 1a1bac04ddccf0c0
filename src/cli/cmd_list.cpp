#include <cstdio>
#include <iterator>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunList(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints one date/time label per record, in record order."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data file (*.vrnldata)"));
    QString path;
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = SinglePositional(parser, QStringLiteral("data file"), path); !checked)
        return ExitStatus(checked);

    Session session;
    if (const Status checked = OpenSession(path, session); !checked) return ExitStatus(checked);
    const CVarneloDoc& doc = session.doc();
    // One small buffer written out as it fills: a text for the whole file
    // would be fresh memory, and fresh memory is what a list pays most for.
    char buffer[64 * 1024];
    char* out = buffer;
    for (int i = 0; i < doc.recordCount(); ++i) {
        if (out + RECORD_TIME_LABEL_MAX + 1 > std::end(buffer)) {
            std::fwrite(buffer, 1, static_cast<std::size_t>(out - buffer), stdout);
            out = buffer;
        }
        out = AppendRecordTimeLabel(out, doc.record(i));
        *out++ = '\n';
    }
    std::fwrite(buffer, 1, static_cast<std::size_t>(out - buffer), stdout);
    return 0;
}

}  // namespace varnelo::cli

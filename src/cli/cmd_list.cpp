#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunList(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints one date/time label per record, in record order."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the data file (*.vrnldata)"));
    QString path;
    if (!Parse(parser, arguments) || !SinglePositional(parser, QStringLiteral("data file"), path)) return 2;

    Session session;
    if (!OpenSession(path, session)) return 1;
    const CVarneloDoc& doc = session.doc();
    std::string out;
    for (int i = 0; i < doc.recordCount(); ++i) {
        out += RecordTimeLabel(doc.record(i));
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail(QStringLiteral("cannot write the list"));
}

}  // namespace varnelo::cli

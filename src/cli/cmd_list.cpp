#include <cstdio>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

int RunList(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints one date/time label per record, in record order."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data file (*.vrnldata)"));
    QString path;
    if (const Stop stop = Parse(parser, arguments)) return *stop;
    if (const Stop stop = SinglePositional(parser, QStringLiteral("data file"), path)) return *stop;

    Session session;
    if (const Stop stop = OpenSession(path, session)) return *stop;
    const CVarneloDoc& doc = session.doc();
    std::string out;
    for (int i = 0; i < doc.recordCount(); ++i) {
        out += RecordTimeLabel(doc.record(i));
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace varnelo::cli

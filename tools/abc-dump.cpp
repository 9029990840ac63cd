// Prints the disassembly of every ABC block in a movie: tessaro-abc-dump movie.swf

#include "tools/MovieAbcBlocks.h"

#include "swf/avm2/AbcDisassembler.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

constexpr qint64 MaxFileSize = swf::MaxUncompressedSize;

int dump(const QString &path)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << path << ": " << file.errorString() << '\n';
        return 1;
    }
    if (file.size() > MaxFileSize) {
        err << path << ": the file is larger than a movie may be\n";
        return 1;
    }
    const auto blocks = MovieAbcBlocks::read(file.readAll());
    if (blocks.empty()) {
        err << path << ": no ABC blocks\n";
        return 1;
    }
    int failures = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        out << "# block " << i << ' ' << blocks[i].name << " (" << blocks[i].bytes.size() << " bytes)\n";
        QString error;
        const auto abc = swf::avm2::ReadAbc(blocks[i].bytes, &error);
        if (!abc) {
            err << path << ": block " << i << " refused: " << error << '\n';
            ++failures;
            continue;
        }
        out << swf::avm2::DisassembleAbc(*abc) << '\n';
    }
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: tessaro-abc-dump movie.swf\n";
        return 2;
    }
    return dump(args[1]);
}

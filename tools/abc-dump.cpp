// Prints the disassembly of every ABC block in a movie: tessaro-abc-dump movie.swf
// With --save PREFIX, writes the blocks as PREFIX-0.abc, PREFIX-1.abc... instead
// (fuzzing seeds for tools/fuzz-abc.sh).

#include "tools/MovieAbcBlocks.h"

#include "swf/avm2/AbcDisassembler.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

constexpr qint64 MaxFileSize = swf::MaxUncompressedSize;

bool save(const std::vector<MovieAbcBlocks::Block> &blocks, const QString &prefix)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        QFile file(QStringLiteral("%1-%2.abc").arg(prefix).arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(blocks[i].bytes) != blocks[i].bytes.size())
            return false;
    }
    return true;
}

int dump(const QString &path, const QString &savePrefix)
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
    if (!savePrefix.isEmpty())
        return save(blocks, savePrefix) ? 0 : 1;
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
    const bool saving = args.size() == 4 && args[1] == QLatin1String("--save");
    if (args.size() != 2 && !saving) {
        QTextStream(stderr) << "usage: tessaro-abc-dump [--save PREFIX] movie.swf\n";
        return 2;
    }
    return saving ? dump(args[3], args[2]) : dump(args[1], QString());
}

#include "MovieImports.h"

#include "swf/MovieFiles.h"

#include <QHash>

namespace swf {

namespace {

std::shared_ptr<const MovieDef> readSource(const QString &folder, const QString &url)
{
    const MovieFile file = ReadMovieFile(folder, url);
    return file.ok() ? ParseMovie(file.bytes, nullptr) : nullptr;
}

} // namespace

void ResolveImports(MovieDef &movie, const QString &folder)
{
    QHash<QString, std::shared_ptr<const MovieDef>> sources;
    for (const ImportedCharacter &imported : movie.imports) {
        if (!sources.contains(imported.url)) {
            if (sources.size() >= MaxImportFiles)
                continue;
            sources.insert(imported.url, readSource(folder, imported.url));
        }
        const std::shared_ptr<const MovieDef> source = sources.value(imported.url);
        if (!source)
            continue;
        const auto exported = source->dictionary.find(source->exports.value(ExportKey(imported.name), -1));
        if (exported == source->dictionary.end())
            continue;
        movie.dictionary[imported.id] = exported->second;
        movie.importedFrom[imported.id] = source;
        // Scripts attach an imported clip by the name it was imported under.
        movie.exports.insert(ExportKey(imported.name), imported.id);
    }
}

} // namespace swf

#include "framework/core/LinkLibrary.h"

#include <dlfcn.h>

#include "framework/core/ProgramFolder.h"

namespace korvex {

std::optional<LinkTable> LoadLinkLibrary(const QString& absolutePath, QString* why) {
    auto fail = [why](const QString& reason) -> std::optional<LinkTable> {
        if (why) *why = reason;
        return std::nullopt;
    };
    // Only an absolute path: dlopen would otherwise search the library path.
    if (!absolutePath.startsWith(QLatin1Char('/')))
        return fail("not an absolute path: " + absolutePath);

    dlerror();
    void* handle = dlopen(absolutePath.toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return fail(QString::fromLocal8Bit(dlerror()));

    LinkTable table;
    table.handle = handle;
    QString missing;
#define TKL_BIND_(ret, name, params, args)                              \
    table.name = reinterpret_cast<ret(*) params>(dlsym(handle, #name)); \
    if (!table.name) missing += (missing.isEmpty() ? "" : " ") + QStringLiteral(#name);
    TKL_OPERATIONS(TKL_BIND_)
#undef TKL_BIND_

    if (!missing.isEmpty()) {
        dlclose(handle);
        return fail("missing operations: " + missing);
    }
    return table;
}

std::optional<LinkTable> LoadLibraryFromAppFolder(const QString& fileName, QString* why) {
    if (fileName.isEmpty()) {
        if (why) *why = QStringLiteral("no file name");
        return std::nullopt;
    }
    return LoadLinkLibrary(ProgramFolder() + QLatin1Char('/') + fileName, why);
}

void FreeLinkLibrary(LinkTable& table) {
    if (table.handle) dlclose(table.handle);
    table = LinkTable{};
}

}  // namespace korvex

// Feeds arbitrary bytes to the list file reader. Whatever it accepts must survive being
// written and read again unchanged.
#include "listfile/listfile.h"
#include "listfile/textlines.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace natalix;

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_listfile: %s\n", what);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ListFileContents first = parseListFile(bytes);

    if (!first.ok) {
        check(!first.error.isEmpty(), "refused without an error text");
        check(first.records.empty(), "refused but records returned");
        return 0;
    }
    check(first.error.isEmpty(), "accepted with an error text");
    check(!first.records.empty(), "accepted without records");
    check(first.declaredCount >= 0, "negative declared count");
    for (const Record& r : first.records) {
        check(r.marker[0] == 0 && r.marker[1] == 0 && r.marker[2] == 0, "marker not 0");
        check(!r.name.isEmpty(), "empty name");
    }

    const QByteArray written = renderListFile(first.records);
    check(listFileSize(first.records) == written.size(), "size differs from the written bytes");
    const ListFileContents second = parseListFile(written);
    check(second.ok, "written list refused");
    check(second.declaredCount == int(first.records.size()), "count line differs");
    // Windows-1252 whose every non-ASCII byte happens to form UTF-8 ("Ã©") is read as UTF-8:
    // the one case where a list's own bytes are taken for another tool's. No real name
    // looks like that.
    if (readsAsUtf8(written))
        return 0;
    check(second.records == first.records, "records changed by writing and reading");
    check(renderListFile(second.records) == written, "second writing differs");
    return 0;
}

// libFuzzer target: the settings file parser. Any bytes parse without crashing, and what was
// parsed survives being written and read again unchanged.

#include "platform/filesettingsstore.h"

#include <cstdint>
#include <cstdlib>

using namespace quillon;

namespace {

bool sameDocument(const FileSettingsStore::Document &a, const FileSettingsStore::Document &b)
{
    if (a.keys.size() != b.keys.size())
        return false;
    for (qsizetype k = 0; k < a.keys.size(); ++k) {
        const FileSettingsStore::Key &x = a.keys[k];
        const FileSettingsStore::Key &y = b.keys[k];
        if (x.normalized != y.normalized || x.entries.size() != y.entries.size())
            return false;
        for (qsizetype e = 0; e < x.entries.size(); ++e) {
            if (x.entries[e].folded != y.entries[e].folded
                || x.entries[e].value != y.entries[e].value)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const FileSettingsStore::Document doc = FileSettingsStore::parse(bytes);
    const QByteArray written = FileSettingsStore::serialize(doc);
    const FileSettingsStore::Document again = FileSettingsStore::parse(written);
    if (!again.problems.isEmpty() || !sameDocument(doc, again))
        std::abort(); // a value that does not round-trip would be damaged by the next save
    return 0;
}

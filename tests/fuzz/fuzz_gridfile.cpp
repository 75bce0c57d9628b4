// libFuzzer target: a grid file (JSON or CSV, chosen at build time) is read and, when it is
// accepted, laid out and its first and last sheets drawn on a recording surface. Whatever the
// bytes, nothing may crash, hang or throw past the reader, the layout or the page driver.

#include "api/myprint_p.h"
#include "support/singleprinter.h"
#include "support/testplatform.h"

#include "engine/layout/loadsettings.h"
#include "engine/layout/pagedriver.h"
#include "engine/state/formatio.h"

#include <quillon/error.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

using namespace quillon;

namespace {

QString &inputPath()
{
    static QString path;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    inputPath() = dir.filePath(QStringLiteral("input." QUILLON_FUZZ_SUFFIX));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(inputPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QString error;
    const std::unique_ptr<GridFile> grid = GridFile::load(inputPath(), &error);
    if (!grid)
        return 0;

    auto system = std::make_unique<SinglePrinterSystem>(11906, 16838, 11338, 16271);
    SinglePrinterSystem *printing = system.get();
    TestPlatform::install(std::move(system));
    {
        MyPrint print;
        EngineState &s = engineState();
        s.setPrintObject(&MyPrintPrivate::get(print));
        if (grid->applyTo(print, &error)) {
            s.OutputMode = 1;
            s.DrawTarget = &printing->printer;
            try {
                LoadFormat(engineState());
                LoadSettings(engineState());
                for (const int sheet : { 1, s.SheetCount }) {
                    if (sheet < 1)
                        continue;
                    const LogicalPage first = firstPageOfSheet(engineState(), sheet);
                    s.CurRowPage = first.rowPage;
                    s.CurColPage = first.colPage;
                    printing->printer.clear();
                    RenderSheet(engineState());
                }
            } catch (const Error &) {
                // Errors of the loading steps reach the host by design.
            }
        }
    }
    TestPlatform::uninstall();
    return 0;
}

#pragma once

// Installs the headless platform that engine tests run on: an in-memory settings store, a
// recording message sink and the given printing system; a fresh engine state.

#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "printer/printingsystem.h"
#include "printer/virtualprintingsystem.h"

#include <QStringList>

struct TestPlatform
{
    quillon::MemorySettingsStore *store = nullptr;
    quillon::RecordingMessageSink *sink = nullptr;

    static TestPlatform install(std::unique_ptr<quillon::PrintingSystem> printing = nullptr)
    {
        quillon::resetPlatformServices();
        quillon::resetEngineState();
        TestPlatform p;
        auto store = std::make_unique<quillon::MemorySettingsStore>();
        p.store = store.get();
        quillon::setSettingsStore(std::move(store));
        auto sink = std::make_unique<quillon::RecordingMessageSink>();
        p.sink = sink.get();
        quillon::setMessageSink(std::move(sink));
        if (printing)
            quillon::setPrintingSystem(std::move(printing));
        return p;
    }

    /// Virtual printers that keep their pages as recordings, named in this order.
    static std::unique_ptr<quillon::VirtualPrintingSystem> recordingPrinters(
        const QStringList &names, const QString &defaultPrinter = QString())
    {
        QList<quillon::VirtualPrinterSpec> specs;
        for (const QString &name : names) {
            quillon::VirtualPrinterSpec spec;
            spec.deviceName = name;
            spec.output = quillon::VirtualPrinterSpec::Output::Recording;
            specs << spec;
        }
        return std::make_unique<quillon::VirtualPrintingSystem>(specs, defaultPrinter);
    }

    static void uninstall()
    {
        quillon::resetEngineState();
        quillon::resetPlatformServices();
    }
};

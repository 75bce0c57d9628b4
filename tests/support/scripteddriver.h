#pragma once

// A printer driver whose printers, answers and failures a test writes; it records each call.

#include "printer/printerdriver.h"

#include <QMap>
#include <QStringList>

class ScriptedPrinterDriver : public quillon::PrinterDriver
{
public:
    struct Printer
    {
        quillon::DeviceSettings defaults; ///< what the printer's settings read as
        int length = -1; ///< the length the driver reports; the settings' own when negative
        bool readFails = false;
        bool mergeFails = false;
        bool writeFails = false;
        std::optional<quillon::DeviceSettings> sheetAnswer; ///< nothing: the user cancels
        quillon::DeviceNames names;
        QList<qint16> codes;
        QStringList paperNames;
    };

    QMap<QString, Printer> printers;
    QString defaultName;
    QStringList calls;
    /// What the print dialog answers; nothing: the user cancels.
    std::optional<quillon::PrintDialogResult> dialogAnswer;
    quillon::PrintDialogRequest dialogRequest; ///< what the dialog was asked

    /// A printer with plausible settings.
    Printer &add(const QString &name)
    {
        Printer p;
        p.defaults.deviceName = name;
        p.defaults.specVersion = 1;
        p.defaults.driverVersion = 0x0101;
        p.defaults.size = 66;
        p.defaults.driverExtra = 120;
        p.defaults.paperSize = 9;
        p.names = { u"Scripted"_qs, name, u"file:///tmp/"_qs + name, false };
        return printers[name] = p;
    }

    std::unique_ptr<quillon::PrinterConnection> open(const QString &deviceName) override
    {
        calls << u"open "_qs + deviceName;
        if (!printers.contains(deviceName))
            return nullptr;
        return std::make_unique<Connection>(this, deviceName);
    }
    std::optional<std::pair<quillon::DeviceSettings, quillon::DeviceNames>>
    defaultPrinter() override
    {
        calls << u"default"_qs;
        if (!printers.contains(defaultName))
            return std::nullopt;
        quillon::DeviceNames names = printers[defaultName].names;
        names.isDefault = true;
        return std::pair { printers[defaultName].defaults, names };
    }
    std::optional<quillon::DeviceNames> deviceNames(const QString &deviceName) override
    {
        if (!printers.contains(deviceName))
            return std::nullopt;
        return printers[deviceName].names;
    }
    QList<qint16> paperCodes(const QString &deviceName, const QString &port) override
    {
        calls << u"codes %1 %2"_qs.arg(deviceName, port);
        return printers.value(deviceName).codes;
    }
    QStringList paperNames(const QString &deviceName, const QString &port) override
    {
        calls << u"names %1 %2"_qs.arg(deviceName, port);
        return printers.value(deviceName).paperNames;
    }

    std::optional<quillon::PrintDialogResult> runPrintDialog(
        const quillon::PrintDialogRequest &request) override
    {
        calls << u"dialog"_qs;
        dialogRequest = request;
        return dialogAnswer;
    }

private:
    class Connection : public quillon::PrinterConnection
    {
    public:
        Connection(ScriptedPrinterDriver *driver, const QString &name)
            : m_driver(driver)
            , m_name(name)
        {
        }
        ~Connection() override { m_driver->calls << u"close"_qs; }

        int settingsLength() override
        {
            m_driver->calls << u"length"_qs;
            return p().length >= 0 ? p().length : p().defaults.length();
        }
        bool readSettings(quillon::DeviceSettings *settings) override
        {
            m_driver->calls << u"read"_qs;
            if (p().readFails)
                return false;
            *settings = p().defaults;
            return true;
        }
        bool showPropertySheet(
            const quillon::DeviceSettings &input, quillon::DeviceSettings *output) override
        {
            m_driver->calls << u"sheet from paper %1"_qs.arg(input.paperSize);
            if (!p().sheetAnswer)
                return false;
            *output = *p().sheetAnswer;
            return true;
        }
        bool writeDefaults(const quillon::DeviceSettings &settings) override
        {
            m_driver->calls << u"write"_qs;
            if (p().writeFails)
                return false;
            p().defaults = settings;
            return true;
        }
        bool mergeSettings(
            const quillon::DeviceSettings &saved, quillon::DeviceSettings *output) override
        {
            m_driver->calls << u"merge"_qs;
            if (p().mergeFails)
                return false;
            *output = p().defaults;
            output->paperSize = saved.paperSize;
            output->options.insert(saved.options);
            return true;
        }

    private:
        Printer &p() { return m_driver->printers[m_name]; }
        ScriptedPrinterDriver *m_driver;
        QString m_name;
    };
};

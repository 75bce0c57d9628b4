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
        /// Options shown in the property sheet window instead of a scripted answer; their
        /// values come from the settings. A PageSize choice's text is the paper's name and
        /// pageCodes gives its code; orientation-requested 4 is landscape.
        QList<quillon::DriverOption> sheetOptions;
        QMap<QString, qint16> pageCodes;
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
        bool showPropertySheet(const quillon::DeviceSettings &input,
            const quillon::PropertySheetWindow &window, quillon::DeviceSettings *output) override
        {
            m_driver->calls << u"sheet from paper %1"_qs.arg(input.paperSize);
            if (p().sheetOptions.isEmpty()) {
                if (!p().sheetAnswer)
                    return false;
                *output = *p().sheetAnswer;
                return true;
            }
            QList<quillon::DriverOption> options = p().sheetOptions;
            for (quillon::DriverOption &o : options) {
                o.value = input.options.value(o.keyword, o.value);
                // Like a driver, the sheet starts on the paper and orientation fields.
                QString paper; // the first of the code, or the one of that name
                for (const quillon::DriverChoice &c : o.choices) {
                    if (p().pageCodes.value(c.value, -1) == input.paperSize
                        && (paper.isEmpty() || c.text == input.formName))
                        paper = c.value;
                }
                if (o.keyword == u"PageSize"_qs && !paper.isEmpty()
                    && p().pageCodes.value(o.value) != input.paperSize)
                    o.value = paper;
                if (o.keyword == u"PageSize"_qs && !input.formName.isEmpty() && !paper.isEmpty())
                    o.value = paper;
                if (o.keyword == u"orientation-requested"_qs)
                    o.value = input.orientation == 2 ? u"4"_qs : u"3"_qs;
            }
            const auto chosen = window ? window(m_name, options) : std::nullopt;
            if (!chosen)
                return false;
            *output = input;
            output->options.insert(*chosen);
            const QString paper = output->options.value(u"PageSize"_qs);
            output->paperSize = p().pageCodes.value(paper, input.paperSize);
            for (const quillon::DriverOption &o : options) {
                for (const quillon::DriverChoice &c : o.choices) {
                    if (o.keyword == u"PageSize"_qs && c.value == paper)
                        output->formName = c.text;
                }
            }
            output->orientation
                = output->options.value(u"orientation-requested"_qs) == u"4"_qs ? 2 : 1;
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

#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace talmere::platform {

// The printers the system offers.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;

    // The name of the system's default printer; empty when none is assigned or it cannot be asked.
    virtual QString defaultPrinterName() const = 0;
    virtual QStringList printerNames() const = 0;
};

// The printers of the print system (CUPS here). Needs a GUI application object.
std::unique_ptr<PrinterSystem> CreateSystemPrinters();

} // namespace talmere::platform

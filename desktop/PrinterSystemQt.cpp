#include "platform/PrinterSystem.h"

#include <QPrinterInfo>

namespace talmere::platform {

namespace {

class QtPrinterSystem final : public PrinterSystem {
public:
    QString defaultPrinterName() const override { return QPrinterInfo::defaultPrinterName(); }
    QStringList printerNames() const override { return QPrinterInfo::availablePrinterNames(); }
};

} // namespace

std::unique_ptr<PrinterSystem> CreateSystemPrinters()
{
    return std::make_unique<QtPrinterSystem>();
}

} // namespace talmere::platform

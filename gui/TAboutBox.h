#pragma once

// The About box: the product's name, the program's version, the copyright and ownership texts; Shift+7 shows the
// technical summary of the installation that support asks for.

#include "core/ApplicationContext.h"

#include <QDialog>

namespace talmere {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // version: the program's version as the box shows it (VersionLabel).
    TAboutBox(ApplicationContext& context, const QString& version, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ApplicationContext& m_context;
    QString m_version;
};

} // namespace talmere

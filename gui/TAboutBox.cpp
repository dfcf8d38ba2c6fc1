#include "gui/TAboutBox.h"

#include "client/AboutInformation.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace talmere {

namespace {

QLabel* AddLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TAboutBox::TAboutBox(ApplicationContext& context, const QString& version, QWidget* parent)
    : QDialog(parent), m_context(context), m_version(version)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(panel);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    const QIcon programIcon = QApplication::windowIcon().isNull()
                                  ? style()->standardIcon(QStyle::SP_FileDialogDetailedView)
                                  : QApplication::windowIcon();
    icon->setPixmap(programIcon.pixmap(70, 70));
    icon->setFixedSize(70, 70);
    icon->setScaledContents(true);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(AddLabel(panel, QStringLiteral("ProductName"),
                             context.settings.ProductName + QStringLiteral(" Report Manager")),
                    0, 1);
    grid->addWidget(AddLabel(panel, QStringLiteral("Version"), version), 1, 1);
    grid->addWidget(AddLabel(panel, QStringLiteral("Copyright"), context.settings.Copyright), 2, 0, 1, 2);
    QLabel* comments = AddLabel(panel, QStringLiteral("Comments"), context.settings.OwnershipComment);
    comments->setWordWrap(true);
    grid->addWidget(comments, 3, 0, 1, 2);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(298, 0)));
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    // Shift and the 7 key: "&" on most keyboards, or the 7 itself where Shift leaves it alone.
    const bool shifted = event->modifiers().testFlag(Qt::ShiftModifier);
    if (shifted && (event->key() == Qt::Key_7 || event->key() == Qt::Key_Ampersand)) {
        m_context.prompts().information(TechnicalSummary(m_context, m_version));
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace talmere

#include "DialogBuilder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ResourceImages.h"

namespace quovex {

namespace {

// Families tried, in order, when a template's own family is missing.
constexpr const char* CJK_FALLBACK_FAMILIES[] = {"SimSun", "WenQuanYi Micro Hei",
                                                 "Noto Sans CJK SC"};

QString ResolveFamily(const QString& strWanted) {
    const QStringList families = QFontDatabase::families();
    if (families.contains(strWanted)) return strWanted;
    for (const char* pszFamily : CJK_FALLBACK_FAMILIES) {
        if (families.contains(QString::fromUtf8(pszFamily))) return QString::fromUtf8(pszFamily);
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? strWanted : chinese.first();
}

Qt::WindowFlags WindowFlagsFor(std::uint32_t nStyle) {
    if (nStyle & DLGSTYLE_CHILD_PAGE) return Qt::Widget;
    if (nStyle & DLGSTYLE_RESIZABLE) {
        return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    }
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!(nStyle & DLGSTYLE_NO_CLOSE_BOX))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

QWidget* CreateControl(const ControlTemplate& ctl, QWidget* pParent) {
    const QString strText = TemplateText(ctl.pszText);
    switch (ctl.kind) {
        case ControlKind::CONTROL_LABEL: {
            auto* pLabel = new QLabel(strText, pParent);
            pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            pLabel->setTextFormat(Qt::PlainText);
            return pLabel;
        }
        case ControlKind::CONTROL_GROUP_BOX: {
            // A frame lies behind the controls it surrounds and lets their
            // clicks through, as it is created after some of them.
            auto* pGroup = new QGroupBox(strText, pParent);
            pGroup->setAttribute(Qt::WA_TransparentForMouseEvents);
            pGroup->setFocusPolicy(Qt::NoFocus);
            pGroup->lower();
            return pGroup;
        }
        case ControlKind::CONTROL_EDIT: {
            auto* pEdit = new QLineEdit(strText, pParent);
            if (ctl.nStyle & STYLE_PASSWORD) pEdit->setEchoMode(QLineEdit::Password);
            pEdit->setReadOnly(ctl.nStyle & STYLE_READ_ONLY);
            return pEdit;
        }
        case ControlKind::CONTROL_PUSH_BUTTON: {
            auto* pButton = new QPushButton(strText, pParent);
            pButton->setDefault(ctl.nStyle & STYLE_DEFAULT);
            return pButton;
        }
        case ControlKind::CONTROL_CHECK_BOX:
            return new QCheckBox(strText, pParent);
        case ControlKind::CONTROL_SPIN:
            return new QSpinBox(pParent);
        case ControlKind::CONTROL_PROGRESS: {
            auto* pBar = new QProgressBar(pParent);
            pBar->setRange(0, 100);
            pBar->setValue(0);
            pBar->setTextVisible(false);
            return pBar;
        }
        case ControlKind::CONTROL_TREE: {
            auto* pTree = new QTreeWidget(pParent);
            pTree->setHeaderHidden(true);
            return pTree;
        }
        case ControlKind::CONTROL_LIST: {
            auto* pList = new QListWidget(pParent);
            pList->setAcceptDrops(ctl.nStyle & STYLE_ACCEPT_DROP);
            return pList;
        }
        case ControlKind::CONTROL_ICON: {
            auto* pIcon = new QLabel(pParent);
            pIcon->setPixmap(LoadAppIcon().pixmap(32, 32));
            pIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return pIcon;
        }
    }
    return nullptr;
}

void WireStandardButton(QWidget* pWindow, const ControlTemplate& ctl, QWidget* pControl) {
    auto* pDialog = qobject_cast<QDialog*>(pWindow);
    auto* pButton = qobject_cast<QPushButton*>(pControl);
    if (!pDialog || !pButton) return;
    if (ctl.nId == RES_ID_OK)
        QObject::connect(pButton, &QPushButton::clicked, pDialog, &QDialog::accept);
    if (ctl.nId == RES_ID_CANCEL) {
        QObject::connect(pButton, &QPushButton::clicked, pDialog, &QDialog::reject);
    }
}

QWidget* MakeClientArea(QWidget* pWindow, const DialogTemplate& tpl, QSize size) {
    if (!tpl.nMenuId) return pWindow;
    auto* pLayout = new QVBoxLayout(pWindow);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->setMenuBar(BuildMenuBar(tpl.nMenuId, pWindow));
    auto* pClient = new QWidget(pWindow);
    pClient->setMinimumSize(size);
    pLayout->addWidget(pClient);
    return pClient;
}

}  // namespace

QString TemplateText(const char* pszText) {
    return *pszText ? QCoreApplication::translate("Templates", pszText) : QString();
}

QFont DialogFont(const DialogTemplate& tpl) {
    QFont font(ResolveFamily(QString::fromUtf8(tpl.pszFontFamily)));
    font.setPointSize(tpl.nFontPointSize);
    return font;
}

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded as Windows does.
    const int nLetters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (nLetters / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

QRect CDialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    const QSize topLeft = ToPixels(x, y);
    return QRect(QPoint(topLeft.width(), topLeft.height()), ToPixels(cx, cy));
}

QSize CDialogUnits::ToPixels(int cx, int cy) const {
    return QSize((cx * m_nBaseX + 2) / 4, (cy * m_nBaseY + 4) / 8);
}

namespace {

struct PlacedControl {
    const ControlTemplate* pTemplate;
    QWidget* pWidget;
};

// Controls whose tops lie this close (dialog units) stand in one row.
constexpr int SAME_ROW_UNITS = 5;

// Top to bottom, and left to right within a row: the order a reader goes,
// and the order the Tab key goes. A group box's frame comes where it begins.
void OrderForReading(std::vector<PlacedControl>* pvPlaced) {
    std::stable_sort(pvPlaced->begin(), pvPlaced->end(),
                     [](const PlacedControl& a, const PlacedControl& b) {
                         const ControlTemplate& ta = *a.pTemplate;
                         const ControlTemplate& tb = *b.pTemplate;
                         if (std::abs(ta.y - tb.y) > SAME_ROW_UNITS) return ta.y < tb.y;
                         return ta.x < tb.x;
                     });
}

bool TakesTab(const QWidget* pWidget) {
    return pWidget->focusPolicy() & Qt::TabFocus;
}

void ChainTabOrder(const std::vector<PlacedControl>& vPlaced) {
    QWidget* pPrevious = nullptr;
    for (const PlacedControl& placed : vPlaced) {
        if (!TakesTab(placed.pWidget)) continue;
        if (pPrevious) QWidget::setTabOrder(pPrevious, placed.pWidget);
        pPrevious = placed.pWidget;
    }
}

// A label with a mnemonic ("户名(&U)：") takes the keyboard to the control
// that follows it in reading order.
void GiveLabelsBuddies(const std::vector<PlacedControl>& vPlaced) {
    for (std::size_t i = 0; i < vPlaced.size(); ++i) {
        auto* pLabel = qobject_cast<QLabel*>(vPlaced[i].pWidget);
        if (!pLabel || !TemplateText(vPlaced[i].pTemplate->pszText).contains(u'&')) continue;
        for (std::size_t j = i + 1; j < vPlaced.size(); ++j) {
            if (TakesTab(vPlaced[j].pWidget)) {
                pLabel->setBuddy(vPlaced[j].pWidget);
                break;
            }
        }
    }
}

}  // namespace

QWidget* BuildDialog(QWidget* pWindow, int nTemplateId) {
    const DialogTemplate* pTemplate = FindDialogTemplate(nTemplateId);
    return pTemplate ? BuildDialog(pWindow, *pTemplate) : nullptr;
}

QWidget* BuildDialog(QWidget* pWindow, const DialogTemplate& tpl) {
    const QFont font = DialogFont(tpl);
    const CDialogUnits units(font);
    const QSize size = units.ToPixels(tpl.cx, tpl.cy);

    pWindow->setObjectName(QString::number(tpl.nId));
    pWindow->setWindowFlags(WindowFlagsFor(tpl.nStyle));
    pWindow->setWindowTitle(TemplateText(tpl.pszCaption));
    pWindow->setFont(font);
    QWidget* pClient = MakeClientArea(pWindow, tpl, size);
    if (pClient == pWindow) {
        if (tpl.nStyle & (DLGSTYLE_RESIZABLE | DLGSTYLE_CHILD_PAGE)) {
            pWindow->resize(size);
        } else {
            pWindow->setFixedSize(size);
        }
    }

    std::vector<PlacedControl> vPlaced;
    for (const ControlTemplate& ctl : tpl.controls) {
        QWidget* pControl = CreateControl(ctl, pClient);
        pControl->setObjectName(QString::number(ctl.nId));
        pControl->setGeometry(units.ToPixels(ctl.x, ctl.y, ctl.cx, ctl.cy));
        if (ctl.nStyle & STYLE_NO_TAB_STOP) pControl->setFocusPolicy(Qt::ClickFocus);
        WireStandardButton(pWindow, ctl, pControl);
        vPlaced.push_back({&ctl, pControl});
    }
    OrderForReading(&vPlaced);
    ChainTabOrder(vPlaced);
    GiveLabelsBuddies(vPlaced);
    return pClient;
}

QMenuBar* BuildMenuBar(int nMenuId, QWidget* pParent) {
    const MenuTemplate* pMenu = FindMenuTemplate(nMenuId);
    if (!pMenu) return nullptr;
    auto* pBar = new QMenuBar(pParent);
    pBar->setObjectName(QString::number(nMenuId));
    for (std::size_t i = 0; i < pMenu->popups.size(); ++i) {
        pBar->addMenu(BuildPopupMenu(nMenuId, static_cast<int>(i), pBar));
    }
    return pBar;
}

QMenu* BuildPopupMenu(int nMenuId, int nPopup, QWidget* pParent) {
    const MenuTemplate* pMenu = FindMenuTemplate(nMenuId);
    if (!pMenu || nPopup < 0 || static_cast<std::size_t>(nPopup) >= pMenu->popups.size()) {
        return nullptr;
    }
    const MenuPopupTemplate& popup = pMenu->popups[static_cast<std::size_t>(nPopup)];
    auto* pPopup = new QMenu(TemplateText(popup.pszText), pParent);
    for (const MenuItemTemplate& item : popup.items) {
        if (!item.nCommandId) {
            pPopup->addSeparator();
            continue;
        }
        QAction* pAction = pPopup->addAction(TemplateText(item.pszText));
        pAction->setObjectName(QString::number(item.nCommandId));
        if (item.pszShortcut) {
            pAction->setShortcut(
                QKeySequence(QString::fromLatin1(item.pszShortcut), QKeySequence::PortableText));
        }
    }
    return pPopup;
}

}  // namespace quovex

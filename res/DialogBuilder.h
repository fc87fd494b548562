// Turns the templates of DialogTemplate.h into Qt widgets. All of it runs
// on the interface thread.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "DialogTemplate.h"

class QMenu;
class QMenuBar;

namespace quovex {

// The text of a template (a caption, a control's text, a menu item) in the
// window's language: the template's own text, translated through the
// "Templates" context when a translator is installed. "" stays "".
QString TemplateText(const char* pszText);

// The font of a template: its family where it is installed, else a font
// that has Chinese glyphs, at the template's point size.
QFont DialogFont(const DialogTemplate& tpl);

// Converts dialog units of one font to pixels: a unit is a quarter of the
// font's average character width across and an eighth of its height down.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    QRect ToPixels(int x, int y, int cx, int cy) const;
    QSize ToPixels(int cx, int cy) const;
    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }

private:
    int m_nBaseX;
    int m_nBaseY;
};

// Gives pWindow the caption, font, frame and size of the template and
// creates its controls at their rectangles, in template (and tab) order,
// each named after its id (labels and frames "-1"). A template with a menu
// gets a menu bar above a client area that holds the controls. Buttons 1
// and 2 of a QDialog are wired to accept() and reject(). Returns the widget
// that holds the controls, or nullptr when there is no such template.
QWidget* BuildDialog(QWidget* pWindow, int nTemplateId);
QWidget* BuildDialog(QWidget* pWindow, const DialogTemplate& tpl);

// A menu bar holding the popups of a menu; each action is named after its
// command id. nullptr when there is no such menu.
QMenuBar* BuildMenuBar(int nMenuId, QWidget* pParent);
// One popup of a menu as a QMenu, or nullptr.
QMenu* BuildPopupMenu(int nMenuId, int nPopup, QWidget* pParent);

// The control with the given id below pRoot, or nullptr.
template <class T = QWidget>
T* FindControl(const QWidget* pRoot, int nId) {
    return pRoot->findChild<T*>(QString::number(nId));
}

}  // namespace quovex

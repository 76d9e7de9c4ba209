// Finds a control of a window by its name, as a screen reader sees the
// window: the widgets, actions and other named parts of that window only,
// with its menus, but not those of its dialogs.
#pragma once

#include <stdexcept>
#include <string>

#include <QList>
#include <QObject>
#include <QWidget>

namespace apptest {

// The window an object is part of: a widget's window, where a pop-up menu
// belongs to the window it pops up from; any other object belongs to the
// window of the widget that owns it.
inline const QWidget* WindowOf(const QObject* object) {
  while (object != nullptr && !object->isWidgetType()) object = object->parent();
  if (object == nullptr) return nullptr;
  const QWidget* window = static_cast<const QWidget*>(object)->window();
  if (window->windowType() == Qt::Popup && window->parent() != nullptr) return WindowOf(window->parent());
  return window;
}

// The one object of type W named `objectName` in `root`'s window, below
// `root`. None, another type or two of that name end the test with an
// exception that names the control; find controls before a modal loop runs,
// as Qt does not carry exceptions out of its event handlers.
template <class W>
W& Find(QWidget& root, const char* objectName) {
  QList<W*> found;
  for (W* widget : root.findChildren<W*>(QString::fromUtf8(objectName))) {
    if (WindowOf(widget) == WindowOf(&root)) found.push_back(widget);
  }
  if (found.size() == 1) return *found.front();
  // An unnamed window, such as the main window, is named by its class.
  const std::string where =
      root.objectName().isEmpty() ? root.metaObject()->className() : root.objectName().toStdString();
  const std::string type = W::staticMetaObject.className();
  if (found.isEmpty()) throw std::runtime_error("no " + type + " named \"" + objectName + "\" in " + where);
  throw std::runtime_error(std::to_string(found.size()) + " widgets named \"" + objectName + "\" in " + where);
}

}  // namespace apptest

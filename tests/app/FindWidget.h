// Finds a control of a window by its name, as a screen reader sees the
// window: the widgets of that window only, not those of its dialogs.
#pragma once

#include <stdexcept>
#include <string>

#include <QList>
#include <QWidget>

namespace apptest {

// The one widget of type W named `objectName` in `root`'s window, below
// `root`. None, another type or two of that name end the test with an
// exception that names the control; find controls before a modal loop runs,
// as Qt does not carry exceptions out of its event handlers.
template <class W>
W& Find(QWidget& root, const char* objectName) {
  QList<W*> found;
  for (W* widget : root.findChildren<W*>(QString::fromUtf8(objectName))) {
    if (widget->window() == root.window()) found.push_back(widget);
  }
  if (found.size() == 1) return *found.front();
  const std::string where = root.objectName().toStdString();
  const std::string type = W::staticMetaObject.className();
  if (found.isEmpty()) throw std::runtime_error("no " + type + " named \"" + objectName + "\" in " + where);
  throw std::runtime_error(std::to_string(found.size()) + " widgets named \"" + objectName + "\" in " + where);
}

}  // namespace apptest

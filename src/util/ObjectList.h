// An ordered list of text entries, each of which may own an object: the list
// type of Networks, Connections and Adapters.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "util/TextUtils.h"

template <class T>
class TObjectList {
 public:
  struct Entry {
    std::string text;
    std::unique_ptr<T> object;
  };

  void Add(std::string text, std::unique_ptr<T> object = nullptr) {
    entries_.push_back(Entry{std::move(text), std::move(object)});
  }
  void Clear() { entries_.clear(); }

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Strings(int index) const { return entries_.at(static_cast<std::size_t>(index)).text; }
  T* Objects(int index) const { return entries_.at(static_cast<std::size_t>(index)).object.get(); }

  // Index of the first entry whose text equals `text` without regard to
  // letter case, or -1.
  int IndexOf(const std::string& text) const {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return SameText(e.text, text); });
    return it == entries_.end() ? -1 : static_cast<int>(it - entries_.begin());
  }

  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  std::vector<Entry> entries_;
};

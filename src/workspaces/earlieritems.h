#pragma once

#include "workspaces/saveditem.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrin {

// What a save keeps of the save it replaces, so that it never stores less
// than that one held because a read came too late: a window whose read
// found nothing (its application's file not yet written, a read that did
// not end) takes what the earlier save held for the same window, where
// that held an address or tabs.
namespace EarlierItems {

// `now` (one item per window, in order), where each item that `mayKeep`
// marks and that holds neither address nor tabs is replaced by the earlier
// item that is the same window: one of its application whose title is the
// window's title (`titles`, as shown now) or begins it (a browser's front
// tab); else, where the windows of that application left so and the
// earlier items of it that no window of `now` shows are as many, the
// earlier ones in order. A window of `now` shows an earlier item when it
// holds its address or its title. Each earlier item goes to one window.
QList<SavedItem> keep(QList<SavedItem> now, const QStringList& titles, const QList<bool>& mayKeep,
                      const QList<SavedItem>& earlier);

// The earlier items that `now` has no window for: for each application of
// which `now` holds fewer items than `earlier`, that many of its earlier
// items that no item of `now` is (the same address or title), in order.
QList<SavedItem> missing(const QList<SavedItem>& now, const QList<SavedItem>& earlier);

} // namespace EarlierItems

} // namespace tavrin

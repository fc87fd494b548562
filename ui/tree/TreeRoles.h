// What the contents tree keeps in its items' data, beside their texts.
#pragma once

#include <Qt>

namespace quovex {

// int: what a find made of the item (ContentsTreeFind.cpp).
constexpr int ROLE_FOUND = Qt::UserRole;
// QByteArray: the item's name on disk, where the vault hides its names
// (no data: the text is the name on disk).
constexpr int ROLE_DISK = Qt::UserRole + 1;
// bool: the item's plain name is not known (its text says so).
constexpr int ROLE_UNREADABLE = Qt::UserRole + 2;
// QByteArrayList: a stored file of several versions (StoredVersions.h):
// the on-disk names of its versions, the oldest first (ROLE_DISK holds the
// newest's, which the commands act on).
constexpr int ROLE_VERSIONS = Qt::UserRole + 3;

}  // namespace quovex

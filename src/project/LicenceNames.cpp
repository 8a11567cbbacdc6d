#include "project/LicenceNames.h"

#include <array>

namespace ProjectInspector {

namespace {

// A licence's wording in lower case, words and version numbers apart by single spaces.
struct Wording {
    const char* name;
    const char* phrase;         // where the licence, usually its title, begins
    const char* also = nullptr; // a clause it must hold as well
};

constexpr char bsdGrant[] = "redistribution and use in source and binary forms with or without "
                            "modification are permitted provided that the following conditions";

// The longer BSD forms come first: they share the grant.
constexpr std::array wordings{
    Wording{"MIT License", "permission is hereby granted free of charge to any person obtaining",
            "the above copyright notice and this permission notice shall be included"},
    Wording{"BSD 4-Clause License", bsdGrant, "all advertising materials mentioning"},
    Wording{"BSD 3-Clause License", bsdGrant, "neither the name of"},
    Wording{"BSD 2-Clause License", bsdGrant},
    Wording{"Apache License 2.0", "apache license version 2.0"},
    Wording{"GNU AGPL v3", "gnu affero general public license version 3"},
    Wording{"GNU GPL v3", "gnu general public license version 3"},
    Wording{"GNU GPL v2", "gnu general public license version 2"},
    Wording{"GNU LGPL v3", "gnu lesser general public license version 3"},
    Wording{"GNU LGPL v2.1", "gnu lesser general public license version 2.1"},
    Wording{"GNU LGPL v2", "gnu library general public license version 2"},
    Wording{"Mozilla Public License 2.0", "mozilla public license version 2.0"},
    Wording{"zlib License", "permission is granted to anyone to use this software for any "
                            "purpose including commercial applications and to alter it"},
    Wording{"CC0 1.0 Universal", "cc0 1.0 universal"},
    Wording{"The Unlicense", "free and unencumbered software released into the public domain"},
};

// Lower case; every run of other characters than letters, digits and dots becomes one space.
QString plainWords(const QString& text) {
    QString words;
    words.reserve(text.size());
    for (const QChar c : text) {
        if (c.isLetterOrNumber() || c == u'.')
            words += c.toLower();
        else if (!words.endsWith(u' '))
            words += u' ';
    }
    return words;
}

} // namespace

QString licenceName(const QString& licenceText) {
    // Licence texts quote one another ("version 3 of the GNU General Public License"), and
    // files append the licences of their parts; the wording that begins first names the file.
    const QString words = plainWords(licenceText);
    const Wording* first = nullptr;
    qsizetype firstAt = words.size();
    for (const Wording& wording : wordings) {
        const qsizetype at = words.indexOf(QLatin1String(wording.phrase));
        if (at >= 0 && at < firstAt &&
            (!wording.also || words.contains(QLatin1String(wording.also)))) {
            first = &wording;
            firstAt = at;
        }
    }
    return first ? QLatin1String(first->name) : QString();
}

} // namespace ProjectInspector

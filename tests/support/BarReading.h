#pragma once
// What a user can read off a progress bar, for comparing in tests.
#include <QMetaType>
#include <QString>
#include <QTest>

struct Bar {
    int maximum;
    int position;
    bool operator==(const Bar &other) const = default;
};

inline char *toString(const Bar &bar)
{
    return QTest::toString(QStringLiteral("%1 of %2").arg(bar.position).arg(bar.maximum));
}

Q_DECLARE_METATYPE(Bar)

#pragma once

// How GoogleTest prints Qt's texts in a failed check: as the text itself,
// not as the bytes of the object. Every test file that compares QStrings
// includes this header (a printer seen by some files and not others would
// print differently depending on where the check stands).
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ostream>

QT_BEGIN_NAMESPACE

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            *os << ", ";
        PrintTo(list[i], os);
    }
    *os << '}';
}

inline void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << 'x' << size.height();
}

inline void PrintTo(const QPoint& point, std::ostream* os)
{
    *os << '(' << point.x() << ", " << point.y() << ')';
}

inline void PrintTo(const QRect& rect, std::ostream* os)
{
    *os << rect.width() << 'x' << rect.height() << '+' << rect.x() << '+' << rect.y();
}

QT_END_NAMESPACE

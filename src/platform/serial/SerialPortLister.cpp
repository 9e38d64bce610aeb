#include "platform/serial/SerialPortLister.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace serial {

namespace {

// Compares runs of digits by their value, so that ttyS2 comes before ttyS10;
// everything else by character. Locale collation is no help here: device
// names are plain ASCII and the C locale knows no numeric order.
bool portNameLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Leading zeros aside, the longer run is the larger number.
            QStringView na = QStringView(a).sliced(i, ei - i);
            QStringView nb = QStringView(b).sliced(j, ej - j);
            while (na.size() > 1 && na.front() == u'0')
                na = na.sliced(1);
            while (nb.size() > 1 && nb.front() == u'0')
                nb = nb.sliced(1);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (const int c = na.compare(nb); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;  // equal but for leading zeros: any fixed order
}

}  // namespace

QStringList normalizePortList(QStringList names) {
    names.removeAll(QString());
    std::sort(names.begin(), names.end(), portNameLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

QStringList SystemSerialPortLister::ports() const {
    QStringList names;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        names.append(info.portName());
    return normalizePortList(names);
}

QStringList FakeSerialPortLister::ports() const {
    return normalizePortList(ports_);
}

}  // namespace serial

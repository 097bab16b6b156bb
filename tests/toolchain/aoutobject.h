#pragma once
// The parts of a BSD a.out object (what "rmac -fb" writes) the toolchain test compares: the
// data section and where its labels are.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct AoutObject {
    QByteArray text;
    QByteArray data;
    // Labels of the data section by name, as offsets into data.
    std::map<std::string, std::uint32_t> dataLabels;
};

// The object in bytes, or nothing with a one-line reason in error.
std::optional<AoutObject> readAoutObject(const QByteArray& bytes, QString& error);

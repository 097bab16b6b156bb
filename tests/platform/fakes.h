#pragma once

#include "fileattributes.h"
#include "programstarter.h"
#include "registry.h"

#include <QSet>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace glyphmill::testing {

// A registry that holds a few values and records every query made of it.
class FakeRegistry final : public Registry {
public:
    using Key = std::tuple<Root, QString, QString>;

    void setText(Root root, const QString& key, const QString& name, const std::string& bytes,
                 bool withTerminator = true) {
        std::string stored = bytes;
        if (withTerminator)
            stored.push_back('\0');
        setRaw(root, key, name, RegistryValueType::Text, stored);
    }

    void setRaw(Root root, const QString& key, const QString& name, RegistryValueType type,
                const std::string& stored) {
        RawValue value;
        value.type = type;
        value.buffer.assign(kBufferSize, 0);
        std::copy(stored.begin(), stored.end(), value.buffer.begin());
        value.reportedSize = stored.size();
        m_values[{root, key, name}] = value;
    }

    std::optional<RawValue> query(Root root, const QString& keyName,
                                  const QString& valueName) const override {
        m_queries.push_back({root, keyName, valueName});
        const auto found = m_values.find({root, keyName, valueName});
        if (found == m_values.end())
            return std::nullopt;
        return found->second;
    }

    const std::vector<Key>& queries() const { return m_queries; }

private:
    std::map<Key, RawValue> m_values;
    mutable std::vector<Key> m_queries;
};

class FakeFiles final : public FileAttributes {
public:
    QSet<QString> files;
    QSet<QString> folders;

    bool isDirectory(const QString& path) const override { return folders.contains(path); }
    bool exists(const QString& path) const override {
        return files.contains(path) || folders.contains(path);
    }
    bool isExecutable(const QString& path) const override { return files.contains(path); }
};

// Records what it is asked to start and answers as told.
class FakeStarter final : public ProgramStarter {
public:
    bool succeed = true;
    QStringList started;

    bool startDetached(const QString& program, const QStringList& arguments = {}) override {
        Q_UNUSED(arguments);
        started.append(program);
        return succeed && !program.isEmpty();
    }
};

} // namespace glyphmill::testing

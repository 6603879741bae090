#include "characterdescription.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

const QString kCharacterFolder = QStringLiteral(":/assistant/characters");

struct FieldName {
    const char* name;
    double Pose::*field;
};

constexpr std::array kFields{
    FieldName{"bodyY", &Pose::bodyY},     FieldName{"squash", &Pose::squash},
    FieldName{"lean", &Pose::lean},       FieldName{"scale", &Pose::scale},
    FieldName{"opacity", &Pose::opacity}, FieldName{"armWand", &Pose::armWand},
    FieldName{"armFree", &Pose::armFree}, FieldName{"hatTilt", &Pose::hatTilt},
    FieldName{"hatLift", &Pose::hatLift}, FieldName{"hatSpin", &Pose::hatSpin},
    FieldName{"glow", &Pose::glow},
};

[[noreturn]] void broken(const QString& what)
{
    throw std::runtime_error(
        QStringLiteral("Il personaggio è danneggiato (%1)").arg(what).toStdString());
}

QPointF pointOf(const QJsonValue& value, const QString& where)
{
    const QJsonArray pair = value.toArray();
    if (pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble())
        broken(where);
    return {pair[0].toDouble(), pair[1].toDouble()};
}

double Pose::*fieldNamed(const QString& name)
{
    const auto found = std::find_if(kFields.begin(), kFields.end(), [&](const FieldName& f) {
        return name == QLatin1String(f.name);
    });
    if (found == kFields.end())
        broken(QStringLiteral("valore «%1»").arg(name));
    return found->field;
}

Track trackOf(const QString& field, const QJsonArray& keys, const QString& clip)
{
    Track track{fieldNamed(field), {}};
    for (const QJsonValue& key : keys) {
        const QPointF k = pointOf(key, clip);
        if (!track.keys.empty() && k.x() < track.keys.back().at)
            broken(clip);
        track.keys.push_back({k.x(), k.y()});
    }
    if (track.keys.empty())
        broken(clip);
    return track;
}

Clip clipOf(const QString& name, const QJsonObject& json)
{
    Clip clip;
    clip.name = name;
    clip.duration = json.value(QLatin1String("duration")).toDouble();
    if (clip.duration <= 0)
        broken(name);
    const QJsonObject tracks = json.value(QLatin1String("tracks")).toObject();
    for (auto it = tracks.begin(); it != tracks.end(); ++it)
        clip.tracks.push_back(trackOf(it.key(), it.value().toArray(), name));
    for (const QJsonValue& value : json.value(QLatin1String("effects")).toArray()) {
        const QJsonObject effect = value.toObject();
        clip.effects.push_back({effect.value(QLatin1String("at")).toDouble(),
                                effect.value(QLatin1String("kind")).toString(),
                                effect.value(QLatin1String("anchor")).toString(),
                                effect.value(QLatin1String("count")).toInt()});
    }
    std::sort(clip.effects.begin(), clip.effects.end(),
              [](const EffectSpec& a, const EffectSpec& b) { return a.at < b.at; });
    return clip;
}

int jointNamed(const CharacterDescription& d, const QString& name, const QString& where)
{
    const auto found = std::find_if(d.joints.begin(), d.joints.end(),
                                    [&](const JointSpec& j) { return j.name == name; });
    if (found == d.joints.end())
        broken(where);
    return int(found - d.joints.begin());
}

// A joint is a pivot alone ([x, y]) or an object naming its pivot, parent and pose values.
JointSpec jointOf(const QString& name, const QJsonValue& value)
{
    if (value.isArray())
        return {name, pointOf(value, name)};
    const QJsonObject json = value.toObject();
    JointSpec joint{name, pointOf(json.value(QLatin1String("pivot")), name)};
    const std::array<std::pair<const char*, double Pose::**>, 5> motions{
        std::pair{"lift", &joint.lift}, std::pair{"rotate", &joint.rotate},
        std::pair{"scale", &joint.scale}, std::pair{"squash", &joint.squash},
        std::pair{"spin", &joint.spin}};
    for (auto it = json.begin(); it != json.end(); ++it) {
        const auto motion = std::find_if(motions.begin(), motions.end(), [&](const auto& m) {
            return it.key() == QLatin1String(m.first);
        });
        if (motion != motions.end())
            *motion->second = fieldNamed(it.value().toString());
        else if (it.key() != QLatin1String("pivot") && it.key() != QLatin1String("parent"))
            broken(QStringLiteral("%1.%2").arg(name, it.key()));
    }
    return joint;
}

// Orders the joints parents first, so that one pass composes each on its parent's transform.
void readJoints(CharacterDescription& d, const QJsonObject& joints)
{
    QStringList placing; // the chain being placed, to catch a joint that is its own ancestor
    const std::function<int(const QString&)> place = [&](const QString& name) -> int {
        for (std::size_t i = 0; i < d.joints.size(); ++i)
            if (d.joints[i].name == name)
                return int(i);
        if (!joints.contains(name) || placing.contains(name))
            broken(QStringLiteral("giunto «%1»").arg(name));
        const QJsonValue value = joints.value(name);
        JointSpec joint = jointOf(name, value);
        const QString parent = value.toObject().value(QLatin1String("parent")).toString();
        if (!parent.isEmpty()) {
            placing.append(name);
            joint.parent = place(parent);
            placing.removeLast();
        }
        d.joints.push_back(joint);
        return int(d.joints.size()) - 1;
    };
    for (auto it = joints.begin(); it != joints.end(); ++it)
        place(it.key());
    if (!joints.contains(QLatin1String("body")))
        broken(QStringLiteral("body"));
    d.bodyJoint = place(QStringLiteral("body"));
}

void readParts(CharacterDescription& d, const QJsonArray& parts, const QString& artFolder)
{
    for (const QJsonValue& value : parts) {
        const QJsonObject part = value.toObject();
        const QString where = QStringLiteral("parte");
        PartSpec design{jointNamed(d, part.value(QLatin1String("joint")).toString(), where),
                        {},
                        part.value(QLatin1String("draw")).toString()};
        const QString file = part.value(QLatin1String("file")).toString();
        if (!file.isEmpty())
            design.file = artFolder + QLatin1Char('/') + file;
        if (design.file.isEmpty() == design.draw.isEmpty())
            broken(where);
        d.parts.push_back(design);
    }
}

void readAnchors(CharacterDescription& d, const QJsonObject& anchors)
{
    for (auto it = anchors.begin(); it != anchors.end(); ++it) {
        const QJsonObject anchor = it.value().toObject();
        d.anchors.insert(it.key(),
                         {jointNamed(d, anchor.value(QLatin1String("joint")).toString(), it.key()),
                          pointOf(anchor.value(QLatin1String("point")), it.key())});
    }
}

// An effect from a point the figure does not have would start from its feet unnoticed.
void checkEffects(const CharacterDescription& d, const Clip& clip)
{
    for (const EffectSpec& effect : clip.effects)
        if (!d.anchors.contains(effect.anchor))
            broken(QStringLiteral("%1: «%2»").arg(clip.name, effect.anchor));
}

} // namespace

QString CharacterDescription::keyOfFile(const QString& file)
{
    const QString name = file.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot > 0 ? name.left(dot) : name).trimmed().toLower();
}

CharacterDescription CharacterDescription::fromFile(const QString& file)
{
    const QString key = keyOfFile(file);
    QFile json(kCharacterFolder + QLatin1Char('/') + key + QLatin1String(".json"));
    if (key.isEmpty() || key.contains(QLatin1Char(':')) || !json.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Non trovo il personaggio «%1»").arg(file).toStdString());
    return fromJson(json.readAll(), kCharacterFolder);
}

CharacterDescription CharacterDescription::fromJson(const QByteArray& json,
                                                    const QString& artFolder)
{
    QJsonParseError error{};
    const QJsonObject root = QJsonDocument::fromJson(json, &error).object();
    if (error.error != QJsonParseError::NoError)
        broken(error.errorString());

    CharacterDescription d;
    const QPointF box = pointOf(root.value(QLatin1String("viewBox")), QStringLiteral("viewBox"));
    d.viewBox = QSizeF(box.x(), box.y());
    if (d.viewBox.isEmpty())
        broken(QStringLiteral("viewBox"));
    readJoints(d, root.value(QLatin1String("joints")).toObject());
    readParts(d, root.value(QLatin1String("parts")).toArray(), artFolder);
    for (const QJsonValue& eye : root.value(QLatin1String("eyes")).toArray())
        d.eyes.push_back(pointOf(eye, QStringLiteral("eyes")));
    d.mouth = pointOf(root.value(QLatin1String("mouth")), QStringLiteral("mouth"));
    readAnchors(d, root.value(QLatin1String("anchors")).toObject());
    d.appearance =
        clipOf(QStringLiteral("appearance"), root.value(QLatin1String("appearance")).toObject());
    const QJsonObject animations = root.value(QLatin1String("animations")).toObject();
    for (auto it = animations.begin(); it != animations.end(); ++it)
        d.animations.insert(it.key(), clipOf(it.key(), it.value().toObject()));
    checkEffects(d, d.appearance);
    for (const Clip& clip : std::as_const(d.animations))
        checkEffects(d, clip);
    return d;
}

const Clip* CharacterDescription::animation(const QString& name) const
{
    const auto found = animations.constFind(name);
    return found == animations.constEnd() ? nullptr : &found.value();
}

QStringList CharacterDescription::animationNames() const
{
    QStringList names = animations.keys();
    names.sort();
    return names;
}

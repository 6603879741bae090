#include "characterdescription.h"

#include "assistanterror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
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
    throw AssistantError(QStringLiteral("Il personaggio è danneggiato (%1)").arg(what));
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

void readParts(CharacterDescription& d, const QJsonArray& parts, const QString& artFolder)
{
    for (const QJsonValue& value : parts) {
        const QJsonObject part = value.toObject();
        PartSpec design{part.value(QLatin1String("joint")).toString(),
                        {},
                        part.value(QLatin1String("draw")).toString()};
        const QString file = part.value(QLatin1String("file")).toString();
        if (!file.isEmpty())
            design.file = artFolder + QLatin1Char('/') + file;
        if (!d.joints.contains(design.joint) || (design.file.isEmpty() == design.draw.isEmpty()))
            broken(QStringLiteral("parte"));
        d.parts.push_back(design);
    }
}

void readAnchors(CharacterDescription& d, const QJsonObject& anchors)
{
    for (auto it = anchors.begin(); it != anchors.end(); ++it) {
        const QJsonObject anchor = it.value().toObject();
        AnchorSpec design{anchor.value(QLatin1String("joint")).toString(),
                          pointOf(anchor.value(QLatin1String("point")), it.key())};
        if (!d.joints.contains(design.joint))
            broken(it.key());
        d.anchors.insert(it.key(), design);
    }
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
        throw AssistantError(QStringLiteral("Non trovo il personaggio «%1»").arg(file));
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
    d.title = root.value(QLatin1String("title")).toString();
    const QPointF box = pointOf(root.value(QLatin1String("viewBox")), QStringLiteral("viewBox"));
    d.viewBox = QSizeF(box.x(), box.y());
    if (d.viewBox.isEmpty())
        broken(QStringLiteral("viewBox"));
    const QJsonObject joints = root.value(QLatin1String("joints")).toObject();
    for (auto it = joints.begin(); it != joints.end(); ++it)
        d.joints.insert(it.key(), pointOf(it.value(), it.key()));
    if (!d.joints.contains(QStringLiteral("body")))
        broken(QStringLiteral("body"));
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

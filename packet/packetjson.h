#pragma once

#include <QByteArray>
#include <QJsonObject>

#include "packet/packet.h"

// The field's packet JSON, as its packet parsers write it and its moderator
// app reads it:
//   {"name"?, "tossups": [{"question", "answer", "number"?, "category"?,
//    "metadata"?}], "bonuses": [{"leadin", "parts", "answers", "values",
//    "difficultyModifiers"?, "number"?, "category"?, "metadata"?}]}
// with "*_sanitized" plain copies of the text fields beside them.
namespace packet {

// A malformed packet gives no packet and an error naming the question and
// the field ("Bonus 3: \"parts\" is not a list of text."). Bonus lists of
// different lengths are read as given (packetWarnings() names them); a
// field given only as its sanitized copy is read from that.
PacketRead readPacketJson(const QByteArray& json, const PacketLimits& limits = {});

// The packet in the same form, sanitized copies included, so that the
// moderator app and the buzz-point tools read it as they read their own.
QJsonObject packetToJson(const Packet& packet);
QByteArray writePacketJson(const Packet& packet);

}  // namespace packet

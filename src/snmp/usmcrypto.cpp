#include "snmp/usmcrypto.h"

#include <algorithm>

#include <nettle/aes.h>
#include <nettle/cbc.h>
#include <nettle/cfb.h>
#include <nettle/des.h>
#include <nettle/hmac.h>
#include <nettle/md5.h>
#include <nettle/memops.h>
#include <nettle/nettle-meta.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

namespace vantrel::snmp::usm {

namespace {

const nettle_hash &hashOf(AuthProtocol protocol) {
    switch (protocol) {
    case AuthProtocol::Md5:
        return nettle_md5;
    case AuthProtocol::Sha1:
        return nettle_sha1;
    case AuthProtocol::Sha224:
        return nettle_sha224;
    case AuthProtocol::Sha256:
        return nettle_sha256;
    case AuthProtocol::Sha384:
        return nettle_sha384;
    case AuthProtocol::Sha512:
        break;
    }
    return nettle_sha512;
}

// Room and alignment for the state of any of the hashes.
union HashContext {
    md5_ctx md5;
    sha1_ctx sha1;
    sha256_ctx sha256;
    sha512_ctx sha512;
};

const std::uint8_t *bytes(const std::string &s) {
    return reinterpret_cast<const std::uint8_t *>(s.data());
}

void putBigEndian32(std::uint8_t *out, std::uint32_t v) {
    out[0] = std::uint8_t(v >> 24);
    out[1] = std::uint8_t(v >> 16);
    out[2] = std::uint8_t(v >> 8);
    out[3] = std::uint8_t(v);
}

// The ciphers through the signature nettle's modes call them by.
void aesEncrypt(const void *ctx, std::size_t length, std::uint8_t *dst, const std::uint8_t *src) {
    aes128_encrypt(static_cast<const aes128_ctx *>(ctx), length, dst, src);
}
void desEncrypt(const void *ctx, std::size_t length, std::uint8_t *dst, const std::uint8_t *src) {
    des_encrypt(static_cast<const des_ctx *>(ctx), length, dst, src);
}
void desDecrypt(const void *ctx, std::size_t length, std::uint8_t *dst, const std::uint8_t *src) {
    des_decrypt(static_cast<const des_ctx *>(ctx), length, dst, src);
}

} // namespace

std::size_t KeyLength(AuthProtocol protocol) {
    return hashOf(protocol).digest_size;
}

std::size_t MacLength(AuthProtocol protocol) {
    switch (protocol) {
    case AuthProtocol::Md5:
    case AuthProtocol::Sha1:
        return 12;
    case AuthProtocol::Sha224:
        return 16;
    case AuthProtocol::Sha256:
        return 24;
    case AuthProtocol::Sha384:
        return 32;
    case AuthProtocol::Sha512:
        break;
    }
    return 48;
}

std::string PasswordToKey(AuthProtocol protocol, const std::string &passphrase) {
    if (passphrase.empty())
        return std::string();
    const nettle_hash &hash = hashOf(protocol);
    // The passphrase repeated far enough that any 64 bytes of the endless repetition start
    // within its first copy.
    std::string repeated;
    while (repeated.size() < 64 + passphrase.size())
        repeated += passphrase;
    HashContext context;
    hash.init(&context);
    for (std::size_t count = 0; count < 1048576; count += 64)
        hash.update(&context, 64, bytes(repeated) + count % passphrase.size());
    std::string key(hash.digest_size, '\0');
    hash.digest(&context, key.size(), reinterpret_cast<std::uint8_t *>(&key[0]));
    return key;
}

std::string LocalizeKey(AuthProtocol protocol, const std::string &key,
                        const std::string &engineId) {
    const nettle_hash &hash = hashOf(protocol);
    HashContext context;
    hash.init(&context);
    hash.update(&context, key.size(), bytes(key));
    hash.update(&context, engineId.size(), bytes(engineId));
    hash.update(&context, key.size(), bytes(key));
    std::string out(hash.digest_size, '\0');
    hash.digest(&context, out.size(), reinterpret_cast<std::uint8_t *>(&out[0]));
    return out;
}

struct Authenticator::Contexts {
    HashContext outer;
    HashContext inner;
};

Authenticator::Authenticator(AuthProtocol protocol, const std::string &localizedKey)
    : protocol_(protocol), contexts_(std::make_unique<Contexts>()) {
    HashContext state;
    hmac_set_key(&contexts_->outer, &contexts_->inner, &state, &hashOf(protocol),
                 localizedKey.size(), bytes(localizedKey));
}

Authenticator::~Authenticator() = default;

std::size_t Authenticator::Length() const {
    return MacLength(protocol_);
}

std::string Authenticator::Mac(const std::string &message) const {
    const nettle_hash &hash = hashOf(protocol_);
    HashContext state = contexts_->inner; // the keyed inner state, copied: no key schedule
    hmac_update(&state, &hash, message.size(), bytes(message));
    std::string mac(Length(), '\0');
    hmac_digest(&contexts_->outer, &contexts_->inner, &state, &hash, mac.size(),
                reinterpret_cast<std::uint8_t *>(&mac[0]));
    return mac;
}

bool Authenticator::Verify(const std::string &message, std::size_t macAt) const {
    const std::size_t length = Length();
    if (macAt > message.size() || message.size() - macAt < length)
        return false;
    const nettle_hash &hash = hashOf(protocol_);
    static const std::uint8_t zeros[64] = {};
    HashContext state = contexts_->inner;
    hmac_update(&state, &hash, macAt, bytes(message));
    hmac_update(&state, &hash, length, zeros);
    hmac_update(&state, &hash, message.size() - macAt - length, bytes(message) + macAt + length);
    std::uint8_t mac[64];
    hmac_digest(&contexts_->outer, &contexts_->inner, &state, &hash, length, mac);
    return memeql_sec(mac, bytes(message) + macAt, length) != 0;
}

struct Cipher::Keys {
    aes128_ctx aes;
    des_ctx des;
    std::uint8_t preIv[DES_BLOCK_SIZE];
};

Cipher::Cipher(PrivProtocol protocol, const std::string &localizedKey)
    : protocol_(protocol), keys_(std::make_unique<Keys>()) {
    // AES takes the first 16 bytes of the key; DES the first 8 as its key and the next 8 as
    // the pre-IV. Every hash gives at least 16.
    if (localizedKey.size() < 16)
        return;
    if (protocol_ == PrivProtocol::Aes128) {
        aes128_set_encrypt_key(&keys_->aes, bytes(localizedKey));
        usable_ = true;
    } else {
        usable_ = des_set_key(&keys_->des, bytes(localizedKey)) == 1;
        std::copy(localizedKey.begin() + 8, localizedKey.begin() + 16, keys_->preIv);
    }
}

Cipher::~Cipher() = default;

std::string Cipher::Encrypt(const std::string &plain, std::int32_t boots, std::int32_t time,
                            std::uint64_t salt, std::string &privParams) const {
    std::uint8_t iv[16];
    privParams.assign(8, '\0');
    auto *params = reinterpret_cast<std::uint8_t *>(&privParams[0]);
    std::string out;
    if (protocol_ == PrivProtocol::Aes128) {
        // IV: the engine's boots and time, then the 64-bit salt, which the message carries.
        putBigEndian32(params, std::uint32_t(salt >> 32));
        putBigEndian32(params + 4, std::uint32_t(salt));
        putBigEndian32(iv, std::uint32_t(boots));
        putBigEndian32(iv + 4, std::uint32_t(time));
        std::copy(params, params + 8, iv + 8);
        out.resize(plain.size());
        cfb_encrypt(&keys_->aes, aesEncrypt, AES_BLOCK_SIZE, iv, plain.size(),
                    reinterpret_cast<std::uint8_t *>(&out[0]), bytes(plain));
        return out;
    }
    // DES: the salt is the engine's boots and a local number; the IV the pre-IV XOR the salt.
    // The plaintext is padded to whole blocks; the receiver reads the scoped PDU's own length.
    putBigEndian32(params, std::uint32_t(boots));
    putBigEndian32(params + 4, std::uint32_t(salt));
    for (int i = 0; i < 8; ++i)
        iv[i] = keys_->preIv[i] ^ params[i];
    out = plain;
    out.resize((plain.size() + 7) / 8 * 8, '\0');
    cbc_encrypt(&keys_->des, desEncrypt, DES_BLOCK_SIZE, iv, out.size(),
                reinterpret_cast<std::uint8_t *>(&out[0]), bytes(out));
    return out;
}

bool Cipher::Decrypt(const std::string &cipher, std::int32_t boots, std::int32_t time,
                     const std::string &privParams, std::string &plain) const {
    plain.clear();
    if (!usable_ || privParams.size() != 8)
        return false;
    std::uint8_t iv[16];
    if (protocol_ == PrivProtocol::Aes128) {
        putBigEndian32(iv, std::uint32_t(boots));
        putBigEndian32(iv + 4, std::uint32_t(time));
        std::copy(privParams.begin(), privParams.end(), iv + 8);
        plain.resize(cipher.size());
        cfb_decrypt(&keys_->aes, aesEncrypt, AES_BLOCK_SIZE, iv, cipher.size(),
                    reinterpret_cast<std::uint8_t *>(&plain[0]), bytes(cipher));
        return true;
    }
    if (cipher.empty() || cipher.size() % 8 != 0)
        return false;
    for (int i = 0; i < 8; ++i)
        iv[i] = keys_->preIv[i] ^ std::uint8_t(privParams[std::size_t(i)]);
    plain.resize(cipher.size());
    cbc_decrypt(&keys_->des, desDecrypt, DES_BLOCK_SIZE, iv, cipher.size(),
                reinterpret_cast<std::uint8_t *>(&plain[0]), bytes(cipher));
    return true;
}

} // namespace vantrel::snmp::usm

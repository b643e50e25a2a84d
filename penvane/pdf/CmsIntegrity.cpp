#include "CmsIntegrity.h"

#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <memory>
#include <optional>
#include <vector>

namespace penvane {
namespace {

struct FreeCms {
    void operator()(CMS_ContentInfo* p) const { CMS_ContentInfo_free(p); }
};
struct FreeTstInfo {
    void operator()(TS_TST_INFO* p) const { TS_TST_INFO_free(p); }
};
struct FreeMdCtx {
    void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
};
using Cms = std::unique_ptr<CMS_ContentInfo, FreeCms>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, FreeMdCtx>;

// The signed bytes, read where they lie: the two ranges of a file or one
// embedded content. Never copied, so a large file costs no second copy.
using Pieces = std::vector<std::string_view>;

// The problem with OpenSSL's reason for the last failure, when it gave one.
std::string WithReason(std::string problem) {
    unsigned long e = ERR_peek_last_error();
    if (e != 0 && ERR_reason_error_string(e) != nullptr) problem += std::string(" (") + ERR_reason_error_string(e) + ")";
    ERR_clear_error();
    return problem;
}

CmsIntegrity Answer(CmsIntegrity::Result result, std::string problem = {}) {
    ERR_clear_error();
    return {result, std::move(problem)};
}

std::optional<std::string> Digest(const EVP_MD* md, const Pieces& pieces) {
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1) return std::nullopt;
    for (std::string_view p : pieces)
        if (EVP_DigestUpdate(ctx.get(), p.data(), p.size()) != 1) return std::nullopt;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), out, &length) != 1) return std::nullopt;
    return std::string(reinterpret_cast<char*>(out), length);
}

std::string_view View(const ASN1_OCTET_STRING* s) {
    return {reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)), static_cast<size_t>(ASN1_STRING_length(s))};
}

const EVP_MD* DigestOf(const X509_ALGOR* algorithm) {
    const ASN1_OBJECT* oid = nullptr;
    X509_ALGOR_get0(&oid, nullptr, nullptr, algorithm);
    return oid ? EVP_get_digestbyobj(oid) : nullptr;
}

// Every signer of `cms` signed `signed_` with the certificate the structure
// carries: through its signed attributes (their signature, and their
// message digest equal to the digest of the bytes) or, without attributes,
// directly over the bytes. The problem when not.
std::optional<std::string> CheckSigners(CMS_ContentInfo* cms, const Pieces& signed_) {
    STACK_OF(CMS_SignerInfo)* signers = CMS_get0_SignerInfos(cms);
    if (signers == nullptr || sk_CMS_SignerInfo_num(signers) == 0) return "the signed data has no signer";
    if (CMS_set1_signers_certs(cms, nullptr, 0) < 0) return WithReason("its signer's certificate cannot be read");
    for (int i = 0; i < sk_CMS_SignerInfo_num(signers); ++i) {
        CMS_SignerInfo* si = sk_CMS_SignerInfo_value(signers, i);
        EVP_PKEY* key = nullptr;
        X509* signer = nullptr;
        X509_ALGOR *digestAlgorithm = nullptr, *signatureAlgorithm = nullptr;
        CMS_SignerInfo_get0_algs(si, &key, &signer, &digestAlgorithm, &signatureAlgorithm);
        if (signer == nullptr) return "it does not carry its signer's certificate";
        const EVP_MD* md = DigestOf(digestAlgorithm);
        if (md == nullptr) return "its digest algorithm is unknown";
        std::optional<std::string> digest = Digest(md, signed_);
        if (!digest) return WithReason("the digest cannot be computed");
        if (CMS_signed_get_attr_count(si) >= 0) {
            const ASN1_OCTET_STRING* messageDigest = static_cast<const ASN1_OCTET_STRING*>(CMS_signed_get0_data_by_OBJ(
                si, OBJ_nid2obj(NID_pkcs9_messageDigest), -3, V_ASN1_OCTET_STRING));
            if (messageDigest == nullptr) return "its signed attributes hold no message digest";
            if (View(messageDigest) != *digest) return "the message digest does not match the signed bytes";
            if (CMS_SignerInfo_verify(si) != 1)
                return WithReason("the signature does not verify with the certificate it carries");
        } else {
            // No attributes: the signature is over the bytes themselves.
            ASN1_OCTET_STRING* signature = CMS_SignerInfo_get0_signature(si);
            MdCtx ctx(EVP_MD_CTX_new());
            bool ok = ctx && signature && X509_get0_pubkey(signer) &&
                      EVP_DigestVerifyInit(ctx.get(), nullptr, md, nullptr, X509_get0_pubkey(signer)) == 1;
            for (std::string_view p : signed_) ok = ok && EVP_DigestVerifyUpdate(ctx.get(), p.data(), p.size()) == 1;
            ok = ok && EVP_DigestVerifyFinal(ctx.get(), ASN1_STRING_get0_data(signature),
                                             static_cast<size_t>(ASN1_STRING_length(signature))) == 1;
            if (!ok) return WithReason("the signature does not verify with the certificate it carries");
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> EmbeddedContent(CMS_ContentInfo* cms) {
    ASN1_OCTET_STRING** content = CMS_get0_content(cms);
    if (content == nullptr || *content == nullptr) return std::nullopt;
    return View(*content);
}

}  // namespace

CmsIntegrity CheckCmsIntegrity(std::string_view file, const ByteRange& range, std::string_view contents,
                               std::string_view subFilter) {
    const bool detached = subFilter == "adbe.pkcs7.detached" || subFilter == "ETSI.CAdES.detached";
    const bool sha1 = subFilter == "adbe.pkcs7.sha1";
    const bool timestamp = subFilter == "ETSI.RFC3161";
    if (!detached && !sha1 && !timestamp) return Answer(CmsIntegrity::NotCms, "not a CMS signature format");

    const long long size = static_cast<long long>(file.size());
    for (long long v : range)
        if (v < 0) return Answer(CmsIntegrity::NotValid, "the byte range has a negative number");
    if (range[1] > size - range[0] || range[3] > size - range[2])
        return Answer(CmsIntegrity::NotValid, "the byte range reaches beyond the end of the file");
    const Pieces ranges{file.substr(static_cast<size_t>(range[0]), static_cast<size_t>(range[1])),
                        file.substr(static_cast<size_t>(range[2]), static_cast<size_t>(range[3]))};

    const unsigned char* p = reinterpret_cast<const unsigned char*>(contents.data());
    Cms cms(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(contents.size())));
    if (!cms) return Answer(CmsIntegrity::NotValid, WithReason("the /Contents is not a CMS structure"));
    // What follows the structure may only be the zeros that pad the string.
    for (const char* rest = reinterpret_cast<const char*>(p); rest < contents.data() + contents.size(); ++rest)
        if (*rest != 0) return Answer(CmsIntegrity::NotValid, "the /Contents holds more than the CMS structure");
    if (OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed)
        return Answer(CmsIntegrity::NotValid, "the CMS structure is not signed data");

    std::optional<std::string_view> content = EmbeddedContent(cms.get());
    if (detached) {
        if (content) return Answer(CmsIntegrity::NotValid, "the detached signature carries content of its own");
        if (auto problem = CheckSigners(cms.get(), ranges)) return Answer(CmsIntegrity::NotValid, *problem);
        return Answer(CmsIntegrity::IntegrityChecked);
    }

    if (!content) return Answer(CmsIntegrity::NotValid, "the signed data carries no content");
    if (timestamp && OBJ_obj2nid(CMS_get0_eContentType(cms.get())) != NID_id_smime_ct_TSTInfo)
        return Answer(CmsIntegrity::NotValid, "the time stamp token does not hold time-stamp information");
    if (auto problem = CheckSigners(cms.get(), Pieces{*content})) return Answer(CmsIntegrity::NotValid, *problem);

    if (sha1) {
        std::optional<std::string> digest = Digest(EVP_sha1(), ranges);
        if (!digest || *content != *digest)
            return Answer(CmsIntegrity::NotValid, "the signed SHA-1 digest does not match the signed bytes");
        return Answer(CmsIntegrity::IntegrityChecked);
    }

    const unsigned char* q = reinterpret_cast<const unsigned char*>(content->data());
    std::unique_ptr<TS_TST_INFO, FreeTstInfo> info(d2i_TS_TST_INFO(nullptr, &q, static_cast<long>(content->size())));
    if (!info) return Answer(CmsIntegrity::NotValid, WithReason("the time-stamp information cannot be read"));
    TS_MSG_IMPRINT* imprint = TS_TST_INFO_get_msg_imprint(info.get());
    const EVP_MD* md = imprint ? DigestOf(TS_MSG_IMPRINT_get_algo(imprint)) : nullptr;
    if (md == nullptr) return Answer(CmsIntegrity::NotValid, "the message imprint's digest algorithm is unknown");
    std::optional<std::string> digest = Digest(md, ranges);
    if (!digest || View(TS_MSG_IMPRINT_get_msg(imprint)) != *digest)
        return Answer(CmsIntegrity::NotValid, "the message imprint does not match the signed bytes");
    return Answer(CmsIntegrity::IntegrityChecked);
}

}  // namespace penvane

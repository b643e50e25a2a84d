// The integrity of another handler's signature in one of the CMS formats:
// does the signature belong to the bytes its /ByteRange names, and does it
// verify with the certificate it carries? Who signed is not judged: no
// trust chain, no revocation, no validity period.
//
// Contract: `file` is the whole file as on disk, `range` the signature's
// /ByteRange (checked here again: both ranges must lie inside the file),
// `contents` the decoded /Contents string (trailing zero padding allowed),
// `subFilter` the /SubFilter name without its slash. Never throws; every
// answer that is not IntegrityChecked carries a problem in plain words.
//   adbe.pkcs7.detached, ETSI.CAdES.detached: signed data without content,
//     whose message digest is that of the two ranges;
//   adbe.pkcs7.sha1: signed data whose content is the SHA-1 of the ranges;
//   ETSI.RFC3161: a time-stamp token whose message imprint is the digest of
//     the ranges;
//   any other /SubFilter: NotCms (nothing checked).
#pragma once
#include <string>
#include <string_view>

#include "ByteRange.h"

namespace penvane {

struct CmsIntegrity {
    enum Result { IntegrityChecked, NotValid, NotCms };
    Result result = NotCms;
    std::string problem;  // empty when IntegrityChecked
};

CmsIntegrity CheckCmsIntegrity(std::string_view file, const ByteRange& range, std::string_view contents,
                               std::string_view subFilter);

}  // namespace penvane

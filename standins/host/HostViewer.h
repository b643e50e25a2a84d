// The viewer side: open documents with their pages, the current document and
// page, the modal state, and the list of signature appearances.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "HostAbi.h"

namespace standin {

class HostViewer {
public:
    HostViewer();
    ~HostViewer();
    HostViewer(const HostViewer&) = delete;
    HostViewer& operator=(const HostViewer&) = delete;

    // Opens a document with one page per rotation (degrees) and makes it the
    // current one, showing page `currentPage`.
    PDDoc OpenDocument(const std::vector<int16_t>& pageRotations, size_t currentPage = 0);
    void CloseDocument(PDDoc doc);          // the current document becomes none when it was this one
    bool ShowPage(PDDoc doc, size_t page);  // false for a page the document does not have
    void SetCurrentDocument(PDDoc doc);     // null: no document is active
    PDPage PageOf(PDDoc doc, size_t page) const;
    AVDoc ViewOf(PDDoc doc) const;

    // The host operations; handles that are not ours answer null or 0.
    AVDoc CurrentDoc() const;
    AVPageView CurrentPageView(AVDoc doc) const;
    PDPage PageViewCurrentPage(AVPageView view) const;
    CosDoc CosDocOf(PDDoc doc) const;
    int16_t RotationOf(PDPage page) const;
    PDDoc DocumentOfCosDoc(CosDoc doc) const;

    void ModalBegin(void* window);
    void ModalEnd();                        // an end without a begin is counted, not obeyed
    int ModalDepth() const { return m_modalDepth; }
    int ModalBegins() const { return m_modalBegins; }
    int ModalEnds() const { return m_modalEnds; }
    int UnbalancedModalEnds() const { return m_unbalancedModalEnds; }

    // Appearances, titled in UTF-8. A list is a snapshot of the titles when opened.
    void SetAppearanceTitles(std::vector<std::string> titles) { m_appearanceTitles = std::move(titles); }
    void* OpenAppearanceList(void* reserved, ASBool flag);
    void CloseAppearanceList(void* list);   // unknown lists are counted, not obeyed
    int32_t AppearanceCount(void* list) const;
    // The title (UTF-8), or false for an unknown list or an index outside it.
    bool AppearanceTitle(void* list, int32_t index, std::string* title) const;
    int AppearanceListOpens() const { return m_listOpens; }
    int AppearanceListCloses() const { return m_listCloses; }
    size_t OpenAppearanceLists() const { return m_lists.size(); }
    int StrayAppearanceListCloses() const { return m_strayListCloses; }
    // Arguments of the last open, as the host saw them.
    void* LastListOpenReserved() const { return m_lastOpenReserved; }
    ASBool LastListOpenFlag() const { return m_lastOpenFlag; }

private:
    struct Document;
    struct Page { Document* doc; int16_t rotation; };
    struct PageView { Document* doc; };
    struct View { Document* doc; };
    struct CosDocument { Document* doc; };
    struct Document {
        std::vector<std::unique_ptr<Page>> pages;
        size_t currentPage = 0;
        View view{};
        PageView pageView{};
        CosDocument cos{};
    };
    struct AppearanceList { std::vector<std::string> titles; };

    Document* FindDocument(const void* handle) const;

    std::vector<std::unique_ptr<Document>> m_documents;
    Document* m_current = nullptr;
    int m_modalDepth = 0, m_modalBegins = 0, m_modalEnds = 0, m_unbalancedModalEnds = 0;
    std::vector<std::string> m_appearanceTitles;
    std::vector<std::unique_ptr<AppearanceList>> m_lists;
    int m_listOpens = 0, m_listCloses = 0, m_strayListCloses = 0;
    void* m_lastOpenReserved = nullptr;
    ASBool m_lastOpenFlag = 0;
};

}  // namespace standin

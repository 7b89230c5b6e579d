// The recipient selector: the modal "Select Recipients" dialog. The user
// picks an address book, may type a search text, and moves entries from the
// available list (left) to the recipients list (right); distribution lists
// are expanded into their members as they move.
//
//   CContactSelectorDlg selector;
//   selector.SetOutlookApplication(application);   // the selector holds a reference
//   CSMSContactUtils::ParseContactCSVList(text, selector.Contacts());
//   if (selector.RunSelector(::GetActiveWindow()))
//       text = CSMSContactUtils::GenerateContactCSVList(selector.Contacts());
//
// The dialog owns one address-book provider, whose worker thread posts the
// found entries back as WM_USER_LISTITEMBATCH (lParam the batch, owned by
// the dialog from then on), and one MAPI session of its own for expanding
// address-book distribution lists on the user-interface thread. Only
// PostListItemBatch runs on another thread. Rows of the available list own
// a CContactSelectorListItemData each, freed when the list is cleared or
// the window goes. The rows of one book go as soon as another is chosen; a
// book that cannot be read is reported in the error box.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "contacts/AsyncListProvider.h"
#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "contacts/MAPIUtils.h"
#include "contacts/SMSContact.h"
#include "core/ScopedHandle.h"
#include "platform/ComPtr.h"
#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"
#include "ui/ZentavoHelpButton.h"

// What a row of the available list keeps of the entry it shows.
class CContactSelectorListItemData
{
public:
    explicit CContactSelectorListItemData(const CAsyncListProviderContactDetailsItem& item);

    CMAPIEntryId m_EntryId;
    // The store of an Outlook contact folder's entry.
    CMAPIEntryId m_OutlookEntryId;
    std::uint32_t m_Source;
    bool m_IsDistributionList;
};

class CContactSelectorDlg : public CZentavoAxDialogImpl<CContactSelectorDlg>, public IAsyncListProviderCallback
{
public:
    enum
    {
        IDD = IDD_CONTACTSELECTOR
    };
    // Posted by the provider: wParam 0, lParam the batch.
    static constexpr UINT WM_USER_LISTITEMBATCH = WM_USER + 1;
    static constexpr char kSearchResults[] = "Search Results";
    // Item data of the "Search Results" entry of the address-book combo.
    static constexpr LPARAM kSearchResultsItemData = 1;

    // Images of the available list.
    enum : int
    {
        kImageContact = 0,
        kImageDistributionList = 1,
        kImageMobileNumber = 2,
        kImageOtherNumber = 3
    };

    CContactSelectorDlg();
    ~CContactSelectorDlg() override;

    static CMessageTable<CContactSelectorDlg> GetMessageTable();

    void SetOutlookApplication(IDispatchPtr application) { m_Application = application; }
    // In: the recipients shown at start. Out, after IDOK: those chosen.
    CSMSContactVector& Contacts() { return m_Contacts; }
    // DoModal: true after OK, false after any other end. Throws
    // CGeneralException (the Win32 error) when the dialog cannot be created,
    // so that a failure is not taken for Cancel.
    bool RunSelector(HWND parent);

    // Any thread; posts the batch to the dialog, or deletes it when that
    // fails or the dialog has no window (before it opens, after it closed).
    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override;
    HWND BoxOwner() const override { return m_hWnd; }

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnOK(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnHelp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnAddressBookChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnShowAllContacts(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnAddButton(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnRemoveButton(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSearchChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnClearSearch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnAsyncListItemBatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    void InitialiseListViews();
    // The provider, the address-book combo and the first book.
    void OpenAddressBooks();
    void PopulateAddressBookCombo();
    void ShowDefaultAddressBook();
    void SelectAddressBookInAddressBookList(const std::string& name);
    const COutlookAddressBook* GetSelectedAddressBook() const;
    void SetSearchResultsMode(bool on);
    void UpdateAvailableContactList();
    // False when the lookup could not start (the failure is event-logged).
    bool PopulateAvailableContactList(const COutlookAddressBook* book, const std::string& text, bool withoutMobile);
    void TakeContactDetailsBatch(std::unique_ptr<CAsyncListProviderListItemBatch> batch);
    void ClearAvailableContactList();
    void AddContactDetailsToList(const CAsyncListProviderListItemBatch_ContactDetails& batch);
    bool IsListedInAvailableList(const std::string& name, const std::string& number) const;
    void AddContactToList(int listId, const std::string& name, const std::string& number, bool isDistributionList,
                          bool isMobile, CContactSelectorListItemData* data);
    void AddSMSContactToList(int listId, const CSMSContact& contact);
    int AddContactsToList(int listId, const CSMSContactVector& contacts, bool avoidDuplicates);
    void AddSelectedContactsToRecipientList();
    void RemoveSeelctedItemsFromListView(int listId);
    void GetContactsFromListView(int listId, bool onlySelected, CSMSContactVector& contacts);
    void AppendMAPIDistributionListMembers(const CContactSelectorListItemData& data, CSMSContactVector& contacts,
                                           std::string& step);
    void AppendOutlookDistributionListMembers(const CContactSelectorListItemData& data, CSMSContactVector& contacts,
                                              std::string& step);
    static std::string GetDisplayNameForMAPIMailUser(const CMAPIMailUser& user);

    std::string GetItemText(int listId, int row, int column) const;

    IDispatchPtr m_Application;
    CSMSContactVector m_Contacts;
    CScopedImageList m_ImageList;
    bool m_SearchMode = false;
    int m_SearchEntryIndex = -1;
    int m_SavedSelection = -1;
    CMAPIUtils m_MAPI;
    std::unique_ptr<CMAPIMailUser_AsyncListProvider> m_Provider;
    std::uint32_t m_CurrentRequestId = 0;
    bool m_FirstBatchTaken = false;
    // The address book of the latest lookup; null for every book.
    const COutlookAddressBook* m_LookupBook = nullptr;
    CZentavoHelpButton m_HelpButton;
    long m_nMajorVersion = 0;
    // Lower-case name, NUL, number of every row of the available list:
    // tens of thousands of rows are checked once each, not against each other.
    std::unordered_set<std::string> m_AvailableEntries;
    // The window batches go to, for the provider's worker: set when the
    // dialog opens, cleared once the worker has stopped.
    std::atomic<HWND> m_BatchWindow{nullptr};
};

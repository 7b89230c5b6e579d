#include "ui/ContactSelectorDlg.h"

#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "core/Win32Utils.h"
#include "platform/Dispatch.h"
#include "platform/BitmapButton.h"
#include "platform/ModuleInstance.h"
#include "platform/OfficeIds.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr char kGetContacts[] = "CContactSelectorDlg::GetContactsFromListView";
constexpr int kNameColumnWidth = 145;
constexpr int kNumberColumnWidth = 98;
// Row texts are read into buffers of this many characters.
constexpr int kItemTextLength = 100;
// Past the end: the available list sorts new rows by name itself.
constexpr int kAppendRow = 10000;

// Outlook's wide texts in the ANSI code page.
std::string TextOf(IDispatch* object, const wchar_t* name)
{
    return WideToAnsi(Dispatch::GetText(object, name));
}

std::string EntryKey(std::string name, const std::string& number)
{
    if (!name.empty())
        ::CharLowerBuffA(&name[0], static_cast<DWORD>(name.size()));
    return name + '\0' + number;
}

int SmallIconSize()
{
    const int width = ::GetSystemMetrics(SM_CXSMICON);
    if (width < 24)
        return 16;
    return width < 32 ? 24 : 32;
}
} // namespace

CContactSelectorListItemData::CContactSelectorListItemData(const CAsyncListProviderContactDetailsItem& item)
    : m_EntryId(item.m_EntryId),
      m_OutlookEntryId(item.m_OutlookEntryId),
      m_Source(item.m_Source),
      m_IsDistributionList(item.m_IsDistributionList)
{
}

CContactSelectorDlg::CContactSelectorDlg() : m_Provider(std::make_unique<CMAPIMailUser_AsyncListProvider>()) {}

// The provider's worker goes first: it may still post to this object.
CContactSelectorDlg::~CContactSelectorDlg()
{
    m_Provider.reset();
}

CMessageTable<CContactSelectorDlg> CContactSelectorDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CContactSelectorDlg>;
    using Self = CContactSelectorDlg;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &Self::OnInitDialog, "CContactSelectorDlg::OnInitDialog"),
        Entry::Message(WM_CLOSE, &Self::OnClose, "CContactSelectorDlg::OnClose"),
        Entry::Message(WM_DESTROY, &Self::OnDestroy, "CContactSelectorDlg::OnDestroy"),
        Entry::Message(WM_DRAWITEM, &Self::OnDrawItem, "CContactSelectorDlg::OnDrawItem"),
        Entry::Message(WM_USER_LISTITEMBATCH, &Self::OnAsyncListItemBatch, "CContactSelectorDlg::OnAsyncListItemBatch"),
        Entry::Command(IDOK, &Self::OnOK, "CContactSelectorDlg::OnOK"),
        Entry::Command(IDCANCEL, &Self::OnCancel, "CContactSelectorDlg::OnCancel"),
        Entry::Command(IDC_SELECTOR_HELPICON, &Self::OnHelp, "CContactSelectorDlg::OnHelp"),
        Entry::Command(IDC_SELECTOR_HELPLINK, &Self::OnHelp, "CContactSelectorDlg::OnHelp"),
        Entry::Command(IDC_SELECTOR_ADDRESSBOOK, &Self::OnAddressBookChange, "CContactSelectorDlg::OnAddressBookChange",
                       CBN_SELCHANGE),
        Entry::Command(IDC_SELECTOR_SHOWALL, &Self::OnShowAllContacts, "CContactSelectorDlg::UpdateAvailableContactList",
                       BN_CLICKED),
        Entry::Command(IDC_SELECTOR_ADD, &Self::OnAddButton, "CContactSelectorDlg::OnAddButton", BN_CLICKED),
        Entry::Command(IDC_SELECTOR_REMOVE, &Self::OnRemoveButton, "CContactSelectorDlg::OnRemoveButton", BN_CLICKED),
        Entry::Command(IDC_SELECTOR_SEARCH, &Self::OnSearchChange, "CContactSelectorDlg::OnSearchChange", EN_CHANGE),
        Entry::Command(IDC_SELECTOR_CLEAR, &Self::OnClearSearch, "CContactSelectorDlg::OnClearSearch", BN_CLICKED),
        Entry::Notify(IDC_SELECTOR_AVAILABLE, NM_DBLCLK, &Self::OnAddButton, "CContactSelectorDlg::OnAddButton"),
        Entry::Notify(IDC_SELECTOR_RECIPIENTS, NM_DBLCLK, &Self::OnRemoveButton, "CContactSelectorDlg::OnRemoveButton"),
    };
    return entries;
}

bool CContactSelectorDlg::RunSelector(HWND parent)
{
    // Its choice goes to the window it was shown over, if that is still there.
    const CModalEnd end = ShowModal(*this, parent, IfOwnerGoes::kNoAnswer);
    if (!end.WasShown())
        throw CGeneralException("The recipient selector could not be created", HRESULT_FROM_WIN32(::GetLastError()));
    return end.Is(IDOK);
}

void CContactSelectorDlg::PostListItemBatch(CAsyncListProviderListItemBatch* batch)
{
    PostListItemBatchToWindow(m_BatchWindow.load(), WM_USER_LISTITEMBATCH, batch);
}

// A failure is shown and skips the remaining set-up; the dialog opens with
// what was set up. The caller's recipients need no address book, so they are
// listed whatever the books do: OK gives back what the user sees. The list
// views come first, as the recipients' rows need their columns.
LRESULT CContactSelectorDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    m_BatchWindow = m_hWnd;
    try
    {
        InitialiseListViews();
        m_HelpButton.Init(m_hWnd, IDC_SELECTOR_HELPICON, IDC_SELECTOR_HELPLINK);
        m_MAPI.LoginToCurrentSession();
        OpenAddressBooks();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CContactSelectorDlg::OnInitDialog");
    }
    AddContactsToList(IDC_SELECTOR_RECIPIENTS, m_Contacts, true);
    return TRUE;
}

void CContactSelectorDlg::OpenAddressBooks()
{
    const COutlookVersionCapabilites* version = Plugin().GetOutlookVersionCapabilites();
    m_nMajorVersion = version ? version->m_nMajorVersion : 0;
    std::vector<std::string> excluded;
    SplitString(Plugin().m_Config.GetAddressBookExclusionList(), ",", excluded);
    m_Provider->SetAddressBookExclusionList(excluded);
    m_Provider->Initialise(m_Application, m_nMajorVersion);

    PopulateAddressBookCombo();
    ShowDefaultAddressBook();
}

void CContactSelectorDlg::InitialiseListViews()
{
    for (int listId : {IDC_SELECTOR_AVAILABLE, IDC_SELECTOR_RECIPIENTS})
    {
        const struct
        {
            const char* text;
            int width;
        } columns[] = {{"Name", kNameColumnWidth}, {"Phone Number", kNumberColumnWidth}};
        for (int index = 0; index < 2; ++index)
        {
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = const_cast<char*>(columns[index].text);
            column.cx = columns[index].width;
            column.iSubItem = index;
            ::SendDlgItemMessageA(m_hWnd, listId, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
        }
    }

    const int size = SmallIconSize();
    m_ImageList.reset(::ImageList_Create(size, size, ILC_MASK | ILC_COLOR32, 1, 1));
    if (!m_ImageList)
        throw CGeneralException("CContactSelectorDlg::InitialiseListViews - ImageList_Create failed", E_FAIL);
    // In image-index order: contact, distribution list, mobile, other number.
    for (int iconId : {IDI_SELECTOR_CONTACT, IDI_SELECTOR_DISTLIST, IDI_SELECTOR_MOBILENUMBER, IDI_SELECTOR_OTHERNUMBER})
    {
        const CScopedIcon icon(static_cast<HICON>(
            ::LoadImageA(GetThisModuleInstance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0)));
        ::ImageList_AddIcon(m_ImageList.get(), icon.get());
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_AVAILABLE, LVM_SETIMAGELIST, LVSIL_SMALL,
                          reinterpret_cast<LPARAM>(m_ImageList.get()));
}

void CContactSelectorDlg::PopulateAddressBookCombo()
{
    ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_RESETCONTENT, 0, 0);
    for (const auto& book : m_Provider->GetAddressLists())
    {
        const LRESULT index = ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_ADDSTRING, 0,
                                                    reinterpret_cast<LPARAM>(book->m_Name.c_str()));
        ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_SETITEMDATA, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(book.get()));
    }
}

// The preferred book when it still exists, else "Contacts", else none.
void CContactSelectorDlg::ShowDefaultAddressBook()
{
    std::vector<std::string> candidates;
    const std::string preferred = Preferences().GetDefaultAddressBook();
    if (!preferred.empty())
        candidates.push_back(preferred);
    candidates.push_back("Contacts");
    for (const std::string& name : candidates)
    {
        for (const auto& book : m_Provider->GetAddressLists())
        {
            if (book->m_Name != name)
                continue;
            PopulateAvailableContactList(book.get(), std::string(), false);
            SelectAddressBookInAddressBookList(name);
            return;
        }
    }
}

void CContactSelectorDlg::SelectAddressBookInAddressBookList(const std::string& name)
{
    const LRESULT index = ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_FINDSTRINGEXACT,
                                                static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    if (index != CB_ERR)
        ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

const COutlookAddressBook* CContactSelectorDlg::GetSelectedAddressBook() const
{
    const LRESULT index = ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return nullptr;
    const LRESULT data =
        ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_ADDRESSBOOK, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == kSearchResultsItemData || data == CB_ERR)
        return nullptr;
    return reinterpret_cast<const COutlookAddressBook*>(data);
}

void CContactSelectorDlg::SetSearchResultsMode(bool on)
{
    const int combo = IDC_SELECTOR_ADDRESSBOOK;
    if (on && !m_SearchMode)
    {
        m_SavedSelection = static_cast<int>(::SendDlgItemMessageA(m_hWnd, combo, CB_GETCURSEL, 0, 0));
        const int index = static_cast<int>(
            ::SendDlgItemMessageA(m_hWnd, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kSearchResults)));
        ::SendDlgItemMessageA(m_hWnd, combo, CB_SETITEMDATA, static_cast<WPARAM>(index), kSearchResultsItemData);
        ::SendDlgItemMessageA(m_hWnd, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        // The combo sorts: books after "Search Results" moved down by one.
        if (m_SavedSelection >= index)
            ++m_SavedSelection;
        m_SearchEntryIndex = index;
        m_SearchMode = true;
    }
    else if (!on && m_SearchMode)
    {
        const int selection = static_cast<int>(::SendDlgItemMessageA(m_hWnd, combo, CB_GETCURSEL, 0, 0));
        if (selection == m_SearchEntryIndex && m_SavedSelection >= 0)
            ::SendDlgItemMessageA(m_hWnd, combo, CB_SETCURSEL, static_cast<WPARAM>(m_SavedSelection), 0);
        ::SendDlgItemMessageA(m_hWnd, combo, CB_DELETESTRING, static_cast<WPARAM>(m_SearchEntryIndex), 0);
        m_SearchEntryIndex = -1;
        m_SearchMode = false;
    }
}

void CContactSelectorDlg::UpdateAvailableContactList()
{
    try
    {
        const std::string text = Trim(CWin32Utils::GetDlgItemText(m_hWnd, IDC_SELECTOR_SEARCH));
        SetSearchResultsMode(!text.empty());
        const COutlookAddressBook* book = GetSelectedAddressBook();
        if (!book && text.empty())
        {
            ClearAvailableContactList();
            return;
        }
        const bool showAll = ::IsDlgButtonChecked(m_hWnd, IDC_SELECTOR_SHOWALL) == BST_CHECKED;
        if (!PopulateAvailableContactList(book, text, showAll))
            ClearAvailableContactList();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CContactSelectorDlg::UpdateAvailableContactList");
    }
}

bool CContactSelectorDlg::PopulateAvailableContactList(const COutlookAddressBook* book, const std::string& text,
                                                       bool withoutMobile)
{
    try
    {
        auto params = std::make_unique<CMAPIMailUser_AsyncListProviderFetchParameters>();
        params->m_CallerValue = 0;
        params->m_SearchText = text;
        params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
        params->m_AddressList = book;
        params->m_ResultType = CMAPIMailUser_AsyncListProviderFetchParameters::kResultTypeContactDetails;
        params->m_IncludeBusinessAndHomeNumbers = true;
        params->m_IncludeEntriesWithoutMobile = withoutMobile;
        params->m_IncludeDistributionLists = true;
        m_CurrentRequestId = params->m_RequestId;
        m_FirstBatchTaken = false;
        // Another book's rows would stand under this one until its first
        // batch, for good when it brings none.
        if (book != m_LookupBook)
            ClearAvailableContactList();
        m_LookupBook = book;

        CAsyncListProviderFetchResult result;
        m_Provider->StartListFetch(std::move(params), result, this);
        std::unique_ptr<CAsyncListProviderListItemBatch> immediate = std::move(result.m_ImmediateBatch);
        if (!result.m_Deferred && immediate)
            TakeContactDetailsBatch(std::move(immediate));
        return true;
    }
    catch (...)
    {
        std::string function = "CContactSelectorDlg::PopulateAvailableContactList";
        if (book)
            function += " (" + book->m_Name + ")";
        ReportCurrentException(function);
        return false;
    }
}

// lParam 0 is no batch: the value also stands for DM_SETDEFID.
LRESULT CContactSelectorDlg::OnAsyncListItemBatch(UINT, WPARAM, LPARAM lParam, bool& handled)
{
    if (!lParam)
    {
        handled = false;
        return 0;
    }
    TakeContactDetailsBatch(
        std::unique_ptr<CAsyncListProviderListItemBatch>(reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam)));
    return 0;
}

// Only the latest lookup counts; its first batch replaces the list, and one
// that says its book could not be read is shown.
void CContactSelectorDlg::TakeContactDetailsBatch(std::unique_ptr<CAsyncListProviderListItemBatch> batch)
{
    const auto* details = dynamic_cast<const CAsyncListProviderListItemBatch_ContactDetails*>(batch.get());
    if (!details || details->m_RequestId != m_CurrentRequestId)
        return;
    if (!m_FirstBatchTaken)
    {
        m_FirstBatchTaken = true;
        ClearAvailableContactList();
    }
    AddContactDetailsToList(*details);
    if (!details->m_Error.empty())
        ShowErrorMessageBox(details->m_Error, "CContactSelectorDlg::OnAsyncListItemBatch");
}

void CContactSelectorDlg::ClearAvailableContactList()
{
    const HWND list = GetDlgItem(IDC_SELECTOR_AVAILABLE);
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            delete reinterpret_cast<CContactSelectorListItemData*>(item.lParam);
    }
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    m_AvailableEntries.clear();
}

// The list is drawn once per batch, not once per row.
void CContactSelectorDlg::AddContactDetailsToList(const CAsyncListProviderListItemBatch_ContactDetails& batch)
{
    const HWND list = GetDlgItem(IDC_SELECTOR_AVAILABLE);
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    struct CRedrawAtEnd
    {
        ~CRedrawAtEnd()
        {
            ::SendMessageA(m_List, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(m_List, nullptr, TRUE);
        }
        HWND m_List;
    } redraw{list};
    for (const auto& item : batch.m_Items)
    {
        if (IsListedInAvailableList(item->m_Name, item->m_Number))
            continue;
        std::unique_ptr<CContactSelectorListItemData> data;
        if (!item->m_EntryId.IsEmpty())
            data = std::make_unique<CContactSelectorListItemData>(*item);
        AddContactToList(IDC_SELECTOR_AVAILABLE, item->m_Name, item->m_Number, item->m_IsDistributionList,
                         item->m_IsMobile, data.release());
        m_AvailableEntries.insert(EntryKey(item->m_Name, item->m_Number));
    }
}

// The same name in any letter case with the same number.
bool CContactSelectorDlg::IsListedInAvailableList(const std::string& name, const std::string& number) const
{
    return m_AvailableEntries.count(EntryKey(name, number)) != 0;
}

// The row takes over the data; it is freed here when no row takes it.
void CContactSelectorDlg::AddContactToList(int listId, const std::string& name, const std::string& number,
                                           bool isDistributionList, bool isMobile, CContactSelectorListItemData* data)
{
    std::unique_ptr<CContactSelectorListItemData> owned(data);
    const HWND list = GetDlgItem(listId);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = kAppendRow;
    item.pszText = const_cast<char*>(name.c_str());
    item.lParam = reinterpret_cast<LPARAM>(data);
    if (isDistributionList)
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = kImageDistributionList;
    }
    else if (!number.empty())
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = isMobile ? kImageMobileNumber : kImageOtherNumber;
    }
    const int row = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    owned.release();
    LVITEMA numberItem = {};
    numberItem.iSubItem = 1;
    numberItem.pszText = const_cast<char*>(number.c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&numberItem));
}

void CContactSelectorDlg::AddSMSContactToList(int listId, const CSMSContact& contact)
{
    AddContactToList(listId, contact.m_Name, contact.m_Number, false, true, nullptr);
}

// Numbers are compared with the rows listed before the call only.
int CContactSelectorDlg::AddContactsToList(int listId, const CSMSContactVector& contacts, bool avoidDuplicates)
{
    int added = 0;
    try
    {
        std::unordered_set<std::string> listed;
        if (avoidDuplicates)
        {
            const int count = static_cast<int>(::SendDlgItemMessageA(m_hWnd, listId, LVM_GETITEMCOUNT, 0, 0));
            for (int row = 0; row < count; ++row)
                listed.insert(GetItemText(listId, row, 1));
        }
        for (const CSMSContact& contact : contacts)
        {
            if (contact.m_Number.empty() || (avoidDuplicates && listed.count(contact.m_Number) != 0))
                continue;
            AddSMSContactToList(listId, contact);
            ++added;
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CContactSelectorDlg::AddContactsToList");
    }
    return added;
}

// The cell's text, cut to the buffer less its terminator. A list view may
// fill the whole buffer without a terminator and count on past it (Wine's
// does): a spare zero ends that count, and the text is taken by the length
// the control reports, never from beyond the buffer.
std::string CContactSelectorDlg::GetItemText(int listId, int row, int column) const
{
    char buffer[kItemTextLength + 1] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kItemTextLength;
    const LRESULT length = ::SendDlgItemMessageA(m_hWnd, listId, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                                 reinterpret_cast<LPARAM>(&item));
    return std::string(buffer, static_cast<size_t>(std::clamp<LRESULT>(length, 0, kItemTextLength - 1)));
}

LRESULT CContactSelectorDlg::OnAddButton(UINT, WPARAM, LPARAM, bool&)
{
    AddSelectedContactsToRecipientList();
    return 0;
}

void CContactSelectorDlg::AddSelectedContactsToRecipientList()
{
    try
    {
        CSMSContactVector contacts;
        GetContactsFromListView(IDC_SELECTOR_AVAILABLE, true, contacts);
        if (AddContactsToList(IDC_SELECTOR_RECIPIENTS, contacts, true) > 0)
        {
            const LRESULT count = ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_RECIPIENTS, LVM_GETITEMCOUNT, 0, 0);
            ::SendDlgItemMessageA(m_hWnd, IDC_SELECTOR_RECIPIENTS, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1),
                                  FALSE);
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CContactSelectorDlg::AddSelectedContactsToRecipientList");
    }
}

LRESULT CContactSelectorDlg::OnRemoveButton(UINT, WPARAM, LPARAM, bool&)
{
    RemoveSeelctedItemsFromListView(IDC_SELECTOR_RECIPIENTS);
    return 0;
}

void CContactSelectorDlg::RemoveSeelctedItemsFromListView(int listId)
{
    const HWND list = GetDlgItem(listId);
    for (int row = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) - 1; row >= 0; --row)
    {
        if (::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED)
            ::SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
}

// A failure inside one distribution list is event-logged and the walk goes
// on with the next row; any other failure ends the walk.
void CContactSelectorDlg::GetContactsFromListView(int listId, bool onlySelected, CSMSContactVector& contacts)
{
    try
    {
        const HWND list = GetDlgItem(listId);
        const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row)
        {
            LVITEMA item = {};
            item.mask = LVIF_STATE | LVIF_PARAM;
            item.iItem = row;
            item.stateMask = LVIS_SELECTED;
            ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (onlySelected && !(item.state & LVIS_SELECTED))
                continue;
            const auto* data = reinterpret_cast<const CContactSelectorListItemData*>(item.lParam);
            if (!data || !data->m_IsDistributionList)
            {
                contacts.emplace_back(GetItemText(listId, row, 0), GetItemText(listId, row, 1));
                continue;
            }
            const bool fromOutlook = data->m_Source == CAsyncListProviderContactDetailsItem::kSourceOutlookContactFolder;
            std::string step = std::string(kGetContacts) + " - Entry";
            try
            {
                try
                {
                    if (fromOutlook)
                        AppendOutlookDistributionListMembers(*data, contacts, step);
                    else
                        AppendMAPIDistributionListMembers(*data, contacts, step);
                }
                catch (...)
                {
                    RethrowCurrentExceptionWithContext(step);
                }
            }
            catch (...)
            {
                ReportCurrentException(std::string(kGetContacts) + " - Getting Contacts for group " +
                                       (fromOutlook ? "(OOM)" : "(MAPI)"));
            }
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(kGetContacts);
    }
}

void CContactSelectorDlg::AppendMAPIDistributionListMembers(const CContactSelectorListItemData& data,
                                                            CSMSContactVector& contacts, std::string& step)
{
    step = std::string(kGetContacts) + " - CMAPIUtils::ReadAddressBook";
    CMAPIMailUserList members;
    m_MAPI.ReadAddressBook(data.m_EntryId, members, true);
    for (const CMAPIMailUser& member : members)
        contacts.emplace_back(GetDisplayNameForMAPIMailUser(member), member.m_MobilePhone);
}

// Each member as the contact it resolves to, else as the Exchange user its
// address resolves to; other members are left out.
void CContactSelectorDlg::AppendOutlookDistributionListMembers(const CContactSelectorListItemData& data,
                                                               CSMSContactVector& contacts, std::string& step)
{
    const std::string prefix = std::string(kGetContacts) + " - ";
    step = prefix + "Getting NameSpace";
    const IDispatchPtr nameSpace = Dispatch::CallPtr(m_Application, L"GetNamespace", L"MAPI");
    step = prefix + "NameSpace.GetItemFromID";
    const IDispatchPtr item = Dispatch::CallPtr(nameSpace, L"GetItemFromID", CMAPIUtils::EntryIdToString(data.m_EntryId),
                                                CMAPIUtils::EntryIdToString(data.m_OutlookEntryId));
    step = prefix + "Getting DistListItem";
    if (!item)
        throw _com_error(E_POINTER);
    IDispatchPtr distList;
    const HRESULT hr = item->QueryInterface(IID__DistListItem, reinterpret_cast<void**>(&distList));
    if (FAILED(hr))
        throw _com_error(hr);
    step = prefix + "DistListItem.MemberCount";
    const long count = static_cast<long>(Dispatch::Get(distList, L"MemberCount"));
    for (long index = 1; index <= count; ++index)
    {
        step = prefix + "DistListItem.GetMember";
        const IDispatchPtr member = Dispatch::CallPtr(distList, L"GetMember", index);
        step = prefix + "ResolveRecipientToContactItem";
        if (m_Provider)
        {
            if (const IDispatchPtr contact =
                    CMicrosoftOutlookObjectModelUtils::ResolveRecipientToContactItem(member, m_Provider->GetAddressLists()))
            {
                contacts.emplace_back(TextOf(contact, L"FullName"), TextOf(contact, L"MobileTelephoneNumber"));
                continue;
            }
        }
        step = prefix + "NameSpace.CreateRecipient";
        const IDispatchPtr lookup = Dispatch::CallPtr(
            nameSpace, L"CreateRecipient", FormatEmailAddress(TextOf(member, L"Address"), TextOf(member, L"Name")));
        step = prefix + "Recipient.Resolve";
        if (!static_cast<bool>(Dispatch::Get(lookup, L"Resolved")) && !static_cast<bool>(Dispatch::Call(lookup, L"Resolve")))
            continue;
        step = prefix + "AddressEntry.GetExchangeUser";
        const IDispatchPtr entry = Dispatch::GetPtr(lookup, L"AddressEntry");
        const IDispatchPtr user = entry ? Dispatch::CallPtr(entry, L"GetExchangeUser") : IDispatchPtr();
        if (!user)
            continue;
        std::string name = TextOf(user, L"Name");
        if (name.empty())
        {
            name = TextOf(user, L"FirstName");
            const std::string lastName = TextOf(user, L"LastName");
            if (!lastName.empty())
                name += (name.empty() ? "" : " ") + lastName;
        }
        contacts.emplace_back(name, TextOf(user, L"MobileTelephoneNumber"));
    }
}

// An entry with only a surname gives a name that begins with a blank.
std::string CContactSelectorDlg::GetDisplayNameForMAPIMailUser(const CMAPIMailUser& user)
{
    if (user.m_GivenName.empty() && user.m_Surname.empty())
        return user.m_DisplayName;
    return user.m_Surname.empty() ? user.m_GivenName : user.m_GivenName + " " + user.m_Surname;
}

// The recipients gathered so far go back even after a failure.
LRESULT CContactSelectorDlg::OnOK(UINT, WPARAM, LPARAM, bool&)
{
    try
    {
        m_Contacts.clear();
        GetContactsFromListView(IDC_SELECTOR_RECIPIENTS, false, m_Contacts);
        if (const COutlookAddressBook* book = GetSelectedAddressBook())
        {
            CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
            preferences.SetDefaultAddressBook(book->m_Name);
            preferences.Save();
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CContactSelectorDlg::OnOK");
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CContactSelectorDlg::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    m_Contacts.clear();
    EndDialog(IDCANCEL);
    return 0;
}

// The default handling goes on and cancels the dialog.
LRESULT CContactSelectorDlg::OnClose(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    m_Provider->Stop();
    return 0;
}

// However the dialog ends, the rows' data goes with it; and once the worker
// has stopped no batch can arrive, so what is queued is freed for good.
LRESULT CContactSelectorDlg::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    ClearAvailableContactList();
    try
    {
        m_Provider->Stop();
    }
    catch (...)
    {
        // A worker that would not stop still leaves nothing queued behind.
        m_BatchWindow = nullptr;
        DeleteQueuedListItemBatches(m_hWnd, WM_USER_LISTITEMBATCH);
        throw;
    }
    m_BatchWindow = nullptr;
    DeleteQueuedListItemBatches(m_hWnd, WM_USER_LISTITEMBATCH);
    return 0;
}

LRESULT CContactSelectorDlg::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    return ReflectDrawItem(message, wParam, lParam, handled);
}

LRESULT CContactSelectorDlg::OnHelp(UINT, WPARAM, LPARAM, bool&)
{
    Plugin().ShowContactSelectorHelpPage();
    return 0;
}

LRESULT CContactSelectorDlg::OnAddressBookChange(UINT, WPARAM, LPARAM, bool&)
{
    UpdateAvailableContactList();
    return 0;
}

LRESULT CContactSelectorDlg::OnShowAllContacts(UINT, WPARAM, LPARAM, bool&)
{
    UpdateAvailableContactList();
    return 0;
}

LRESULT CContactSelectorDlg::OnSearchChange(UINT, WPARAM, LPARAM, bool&)
{
    UpdateAvailableContactList();
    return 0;
}

// Emptying the edit already asks for a new list; the spelled-out update
// follows all the same.
LRESULT CContactSelectorDlg::OnClearSearch(UINT, WPARAM, LPARAM, bool&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_SELECTOR_SEARCH, "");
    UpdateAvailableContactList();
    return 0;
}

// The extender for appointments: the SMS reminder. An open appointment gets
// the "SMS Reminders" ribbon tab; what the tab shows and changes is kept on
// the item as user properties named "ZentavoOLSMSAddin...". Saving the item
// sends the reminder to the gateway (the submission lifecycle, in its own
// source file).
//
// One inspector context follows each open appointment inspector, from
// OnNewInspector to the inspector's Close; it owns the two event handlers it
// advised and unadvises them when it goes. The extender must outlive every
// context (its destructor closes those still open).
#pragma once

#include "addin/InfiniteLoopBreaker.h"
#include "addin/NameVariantCollection.h"
#include "addin/OutlookAddin_ItemExtender.h"
#include "addin/OutlookEventHandlers.h"
#include "contacts/SMSContact.h"
#include "core/SMSTemplate.h"
#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "platform/OleDateTime.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The reminder's settings in memory: text entries as VT_BSTR, the my-mobile
// flag as VT_BOOL ("1"/"0" once read back from an item).
class COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties : public CNameVariantCollection
{
public:
    static const char kRecipientsTo[];
    static const char kRecipientsIncludeMyMobile[];
    static const char kSchedule[];
    static const char kFormatMessageTemplate[];
    static const char kFormatMessageFrom[];
    static const char kSMSGatewaySubmissionId[];
    // The EntryID of the item whose save made the job: Outlook copies user
    // properties with an appointment, so a copy names its original's job.
    static const char kSMSGatewaySubmissionOwner[];
    static const char kServerSavedStatus[];
    static const char kItemUpdateCount[];
    // The sender value that asks for the replyable id.
    static const char kUseReplyableId[];

    // Absent text reads as "".
    std::string GetRecipientsTo() const;
    void SetRecipientsTo(const std::string& value);
    bool GetRecipientsIncludeMyMobile() const;
    void SetRecipientsIncludeMyMobile(bool value);
    std::string GetSchedule() const;
    void SetSchedule(const std::string& value);
    std::string GetFormatMessageTemplate() const;
    void SetFormatMessageTemplate(const std::string& value);
    std::string GetFormatMessageFrom() const;
    void SetFormatMessageFrom(const std::string& value);
    std::string GetSMSGatewaySubmissionId() const;
    void SetSMSGatewaySubmissionId(const std::string& value);
    std::string GetSMSGatewaySubmissionOwner() const;
    void SetSMSGatewaySubmissionOwner(const std::string& value);
    std::string GetServerSavedStatus() const;
    void SetServerSavedStatus(const std::string& value);

    // Present entries through GetVariantAsBool, so a stored "1" is true.
    bool GetBool(const std::string& name, bool defaultValue) const override;
    // Stores a text entry (VT_BSTR).
    void SetString(const std::string& name, const std::string& value);
    // A text entry as typed or stored, before any conversion to the ANSI
    // code page; "" when absent or not text.
    std::wstring GetText(const std::string& name) const;

    // Takes the item's properties whose names begin with the prefix over the
    // entries held. A value its reader cannot read (a text stored as a null
    // or an error, a flag stored as a number), as another program or a sync
    // may leave one, is reported in the event log and not taken, so that it
    // reads as what was held before, the default. Failing Outlook calls
    // raise _com_error.
    void LoadFromUserProperties(IDispatch* userProperties, const std::string& prefix);
    // The same, from properties already read from an item.
    void TakeReadable(const CNameVariantCollection& stored);

    // The reminder is on: recipients listed, or the user's own mobile ticked.
    bool IsSMSReminderOn() const;
    // Checks the schedule only; appends one text per fault, true when none.
    bool Validate(std::vector<std::string>& errors) const;
};

class COutlookAddin_ItemExtender_AppointmentItem_SMSReminder : public COutlookAddin_ServicedItemExtender,
                                                               private IOutlookAddin_ItemEventHandlerTarget,
                                                               private IOutlookAddin_InspectorEventHandlerTarget
{
public:
    using CProperties = COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties;

    // One open appointment inspector.
    struct CInspectorContext
    {
        CInspectorContext() = default;
        CInspectorContext(const CInspectorContext&) = delete;
        CInspectorContext& operator=(const CInspectorContext&) = delete;
        // Unadvises both handlers (the handlers stay until the context goes).
        void Close();
        // Its inspector has not closed (Close not yet run).
        bool IsOpen() const;
        // One of its handlers is running an event or still held by Outlook,
        // or a CHold holds it.
        bool IsInUse() const;
        ~CInspectorContext();

        // Keeps the context from being freed while work on it shows a box or
        // dialog: the inspector may close meanwhile and another open, whose
        // opening frees the closed contexts not in use.
        class CHold
        {
        public:
            explicit CHold(CInspectorContext& context) : m_Context(context) { ++m_Context.m_Holds; }
            ~CHold() { --m_Context.m_Holds; }
            CHold(const CHold&) = delete;
            CHold& operator=(const CHold&) = delete;

        private:
            CInspectorContext& m_Context;
        };
        int m_Holds = 0;

        CProperties m_SavedProperties;   // as last loaded or saved
        CProperties m_EditedProperties;  // what the tab shows and changes
        std::vector<std::string> m_RecipientListItems;
        std::unique_ptr<COutlookAddin_InspectorEventHandler> m_pInspectorEventHandler;
        std::unique_ptr<COutlookAddin_ItemEventHandler> m_pItemEventHandler;
        // Set while the add-in saves the item itself after an update: the
        // Write that Outlook raises for that save sends nothing.
        bool m_bStoringUpdate = false;
    };

    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder();
    ~COutlookAddin_ItemExtender_AppointmentItem_SMSReminder() override;
    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder(
        const COutlookAddin_ItemExtender_AppointmentItem_SMSReminder&) = delete;
    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder& operator=(
        const COutlookAddin_ItemExtender_AppointmentItem_SMSReminder&) = delete;

    // IOutlookAddin_ItemExtender
    void OnNewInspector(IDispatchPtr inspector) override;
    HRESULT OnMAPIFolderBeforeItemMove(IDispatchPtr item, IDispatchPtr moveTo, VARIANT_BOOL* cancel) override;
    void OnItemAdd(IDispatchPtr item) override;
    void OnItemChange(IDispatchPtr item) override;
    // Keeps the appointment ribbon (a counted reference) for invalidations.
    void OnRibbonLoaded(IDispatchPtr ribbon) override;
    void GetCustomUI(const std::wstring& ribbonId, BSTR* xml) override;
    void Ribbon_ButtonOnAction(IDispatchPtr control) override;
    void Ribbon_CheckBoxOnAction(IDispatchPtr control, long pressed) override;
    void Ribbon_DropDownOnAction(IDispatchPtr control, BSTR selectedId, long selectedIndex) override;
    void Ribbon_OnChange(IDispatchPtr control, BSTR text) override;
    void Ribbon_GetLabel(IDispatchPtr control, BSTR* label) override;
    void Ribbon_GetText(IDispatchPtr control, BSTR* text) override;
    void Ribbon_GetPressed(IDispatchPtr control, long* pressed) override;
    void Ribbon_GetItemCount(IDispatchPtr control, long* count) override;
    void Ribbon_GetItemId(IDispatchPtr control, long index, BSTR* id) override;
    void Ribbon_GetItemLabel(IDispatchPtr control, long index, BSTR* label) override;
    void Ribbon_GetVisible(IDispatchPtr control, long* visible) override;

    // Contexts by COM identity of the item or the inspector; null when none.
    CInspectorContext* GetInspectorContextForAppointmentItem(IDispatch* item);
    CInspectorContext* GetInspectorContextForInspector(IDispatch* inspector);
    size_t GetInspectorContextCount() const { return m_InspectorContexts.size(); }
    // At the add-in's disconnection: every open inspector's context is
    // closed (its item and inspector events unadvised) and retired; none is
    // freed while a handler of its own runs.
    void CloseInspectorContexts();
    // The add-in object: each event of a context's handlers holds it until
    // the handler returns. Not held.
    void SetEventOwner(IUnknown* owner) { m_pEventOwner = owner; }

    // The values a new reminder starts with, from the user's preferences.
    static void DefaultSMSReminderProperties(CProperties& properties);

    // The reminder's recipients: the listed ones, the user's own number when
    // ticked and stored, and the meeting's attendees in place of "<All
    // Meeting Attendees>", each phone once in its first form
    // (CSMSContactUtils::IsSamePhone); the tab counts them. Asks the user
    // nothing: only the user's save asks for a missing own number. Appends
    // to contacts.
    CSMSContactVector& GetReminderRecipients(IDispatch* item, const CProperties& properties,
                                             CSMSContactVector& contacts);
    // The template's text filled from the appointment; empty for an
    // unknown template.
    std::wstring& FormatReminderMessage(std::wstring& message, IDispatch* item, const std::string& templateId);
    // "S_" + a built-in id or "U_" + a user template's id; null otherwise.
    const CSMSTemplate* FindTemplate(const std::string& templateId) const;
    // The item's date property (Start, End) as an OLE date.
    static COleDateTime GetItemTime(IDispatch* item, const wchar_t* name);
    // An occurrence or an exception of a recurring series (not its master):
    // it answers its master's EntryID and user properties, with times of its
    // own.
    static bool IsOccurrenceOrException(IDispatch* item);
    // The item whose times the reminder's job follows: the series' master
    // for an occurrence or exception (Outlook gives it as their Parent),
    // else the item itself.
    static IDispatchPtr JobHolderOf(IDispatch* item);

protected:
    // Item events of open appointments.
    virtual void OnItemWriteEvent(IDispatch* item, VARIANT_BOOL* cancel);
    virtual void OnItemPropertyChange(IDispatch* item, const std::wstring& name);
    virtual void OnInspectorClose(IDispatch* inspector);

    // Raises the item's change counter so that Outlook offers to save it;
    // context names the caller in a failure.
    void MarkItemChanged(IDispatch* item, const std::string& context);
    void SetupRecipientSelectionListItems(IDispatch* item, CInspectorContext& context);
    // Makes Outlook ask again for the control's values; nothing before the
    // ribbon has loaded.
    void InvalidateControl(const wchar_t* controlId);

    // The submission lifecycle (OutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Submission.cpp).
    //
    // Every save (the user's Write, the update accepted on opening, a change
    // in a calendar, a delete or a restore) starts from the item as it was
    // before the save's first box, and every box or dialog lets programs,
    // Outlook and the user act on the item meanwhile. So nothing of a save
    // acts, neither a call to the gateway nor a write of the item, before it
    // has looked at the item again and taken in what changed. And a save
    // ends with one job at most, the one the item will name: whatever else
    // it made, or may have made, at the gateway is cancelled.

    // How a save's calls to the gateway end: the gateway holds the
    // properties, or it does not, or the item is no longer the save's to
    // write (deleted, or the add-in disconnected, while a box was up).
    enum class WriteOutcome
    {
        Saved,
        Failed,
        Abandoned
    };
    // What a save finds of the item, to tell after a box what changed.
    struct CItemState
    {
        CNameVariantCollection m_Stored; // the reminder's properties on the item, unchecked
        int m_Place = -1;                // GetDeletedItemsState; -1 when the item cannot be read
        unsigned m_Disconnections = 0;   // of the add-in, so far
    };
    CItemState ReadItemState(IDispatch* item);
    // One save under way: the item as the save found it before its first
    // box, and then as it took it in after each box; and the jobs the save
    // touched, which its end settles on what the gateway says of each.
    struct CSaveRun
    {
        explicit CSaveRun(CItemState found) : m_Found(std::move(found)) {}
        CItemState m_Found;
        // Jobs this save made, or may have made when an answer was lost.
        std::vector<std::string> m_Made;
        // Jobs the save was to replace that still stand, or may: beside one
        // it made that may send, or after an abort the gateway did not
        // confirm.
        std::vector<std::string> m_Standing;
        // Jobs the gateway has said will not send (again).
        std::vector<std::string> m_Stopped;
        // Jobs that could not be stopped when the settling asked: they may
        // still send.
        std::vector<std::string> m_MaySend;
        // Outlook refused the properties at the last write.
        bool m_WriteRefused = false;
    };
    // What a look at the item finds since the save's last one.
    enum class Look
    {
        Unchanged,
        TakenIn,   // another save wrote to it: its job and settings are the save's now
        UpToDate,  // and that save has brought the gateway up to date with these properties
        Abandoned  // deleted (or no longer to be read), or the add-in disconnected
    };

    // The item is deleted (or no longer to be read), or the add-in has
    // disconnected, since the save found it.
    static bool HasLeftTheSave(const CItemState& now, const CItemState& found);
    // A save's outcome once a look has found that.
    static WriteOutcome WriteOutcomeAfter(Look look, WriteOutcome before);

    // The user's save of the tab's edits (those of the item's inspector
    // context, held by the caller; none: nothing to save), or the add-in's
    // own save of an event the user did not start, from the item as found;
    // cancel is set when the user asked for the Write to be stopped.
    WriteOutcome SaveEditedProperties(IDispatch* item, bool& cancel, const CItemState& found,
                                      CInspectorContext* context);
    // Brings the gateway up to date, then writes the properties to the item
    // whatever the outcome (unless the item is no longer the save's), with
    // the status it leaves, without saving the item.
    WriteOutcome SaveSMSReminder(IDispatch* item, CProperties& properties, bool validate, bool cancelAllowed,
                                 bool& cancel, bool deleting, const CItemState& found);
    // Validates, then calls the gateway until it succeeds or the user gives
    // up, then settles the run's jobs.
    WriteOutcome OnItemWrite(IDispatch* item, CProperties& properties, bool validate, bool cancelAllowed,
                             bool& cancel, bool deleting, CSaveRun& run);
    // How one attempt at the gateway ends.
    enum class Attempt
    {
        Saved,
        Failed,     // the retry prompt follows
        Told,       // the user has been told why; no retry can help
        Overtaken,  // the item changed inside a box of the attempt: no call was made
    };
    Attempt AttemptGatewayUpdate(IDispatch* item, CProperties& properties, bool deleting, CSaveRun& run);
    // One attempt: creates, replaces or cancels the job and keeps its id in
    // the properties; a new job whose answer was lost, which may send, is
    // kept there as well, the result false. retryCannotHelp is set, and the
    // result false, when the user has been told why the reminder does not go
    // out as its properties say: a call was due but no account is set up (a
    // box, after the set-up dialog, in any event), or (during an unattended
    // event, in the event log) its text holds characters the ANSI code page
    // cannot carry (nothing is sent), no recipient has a mobile number (a job
    // it had is cancelled first), or the user's own number is not stored
    // (the job goes to the others). overtaken is set, and the result false,
    // without a call, when the item is not as the run last found it.
    bool UpdateSMSGatewayWithSMSReminderRequest(IDispatch* item, CProperties& properties, bool deleting,
                                                CSaveRun& run, bool& retryCannotHelp, bool& overtaken);
    // The request one attempt makes of the reminder's settings, and what
    // the settings leave of the reminder.
    struct CReminderRequest
    {
        CZentavoSMSGatewaySubmission m_Submission;
        std::wstring m_Message;
        bool m_On = false;                // still to go out: on, not in the past, reaching a phone
        const char* m_NotSent = nullptr;  // why it does not go out to everyone it names
    };
    // Recipients, send time, text and fields; the box of a send time in the
    // past.
    CReminderRequest MakeReminderRequest(IDispatch* item, const CProperties& properties, bool deleting);
    // The action the job's id, the deletion and the reminder's state ask
    // for; false when none needs the gateway. A copy gives up its
    // original's job here.
    bool ChooseReminderAction(IDispatch* item, CProperties& properties, bool deleting, CReminderRequest& request);
    // False, after telling why, when the text cannot be sent or no account
    // is set up.
    bool MaySendReminder(IDispatch* item, const CProperties& properties, bool deleting,
                         const CReminderRequest& request, bool& retryCannotHelp);
    // The gateway call, and its second when the job named has gone out (a
    // cancel is then done, an update becomes a new job); notes each job the
    // answers leave for the run to settle. True on success.
    bool CallGateway(CZentavoSMSGatewaySubmission& submission, CZentavoSMSGatewaySubmissionResults& results,
                     CSaveRun& run);
    // Looks at the item again (after a box): what changed is taken into the
    // properties and the run, for another attempt or the write.
    Look TakeInWhatChanged(IDispatch* item, CProperties& properties, CSaveRun& run, bool deleting);
    // The end of a save, after its last box: settles the jobs (which writes
    // the properties, unless the item is no longer the save's), shows the
    // failure box, and settles again after anything it let in changed the
    // item; then tells, last, what the item could not store and the jobs
    // it could not stop.
    WriteOutcome FinishSave(IDispatch* item, CProperties& properties, CSaveRun& run, WriteOutcome outcome,
                            bool& cancel, bool deleting);
    // Writes the properties to the item, with the status the outcome
    // leaves, without saving it.
    void WriteSave(IDispatch* item, CProperties& properties, CSaveRun& run, WriteOutcome outcome);
    // The item will name one job: the one its properties name, or, after
    // Cancel (the Write or the move stopped, so that Outlook keeps the item
    // as found), the one it named as found. Every other job the run touched
    // is stopped, as far as the gateway says it is. Cancel stands only
    // where every such job stopped; otherwise it is cleared, so that the
    // item goes on to name the job that may send, and the others are
    // stopped. The item is written to name the job kept before any other
    // is stopped, so that it never names one stopped meanwhile. A save that
    // lost the item stops what it made, which no item stores; nothing is
    // called once the add-in has disconnected.
    void SettleJobs(IDispatch* item, CProperties& properties, CSaveRun& run, WriteOutcome outcome, bool& cancel);
    // Stops each job but the one kept that the run has not yet seen stop;
    // true when all are stopped. Those that cannot be go to m_MaySend.
    bool StopJobs(CSaveRun& run, const std::vector<std::string>& jobs, const std::string& kept);
    // Cancels one job at the gateway: true when the gateway says it will
    // not send (again); false without a call once the add-in has
    // disconnected since the caller's save began (its count).
    bool StopJob(const std::string& jobId, unsigned disconnections);
    // "A~<status>~<Start>~<End>"; "A~2" or nothing for a reminder that is off.
    void SetServerSavedStatus(IDispatch* item, CProperties& properties, int status);
    bool CheckServerSaveStatus(IDispatch* item, const CProperties& properties, int& status, bool& timesChanged);
    // 2 in Deleted Items, 1 in another folder, 0 in none.
    int GetDeletedItemsState(IDispatch* application, IDispatch* item);
    // An open inspector shows the item with that EntryID (the same item
    // reached through another object).
    bool IsOpenInInspector(const std::wstring& entryId) const;
    // What an item added to a watched calendar is to the job it names.
    enum class Arrival
    {
        Holder,    // the job is its own: a new item, a moved one, one brought back
        Copy,      // another item of the watched calendars names the job
        Undecided  // no other item there names it, but its owner is not known to be gone
    };
    Arrival JobOfArrivingItem(IDispatch* application, IDispatch* item, const CProperties& properties);
    // The opening check: offers to bring the gateway up to date, else marks
    // the item changed so that Outlook offers to save it; an item that
    // could not store the update is not marked, as no save of it can be
    // stored either.
    void OfferGatewayUpdateOnOpen(IDispatch* item, CInspectorContext& context);
    // How the update accepted on opening ends.
    enum class Opening
    {
        Stored,      // the gateway and the store hold it
        Failed,      // the gateway does not hold it; the item can be saved
        RolledBack,  // the item could not be stored and reads as before
        Abandoned    // deleted, or the add-in disconnected, meanwhile
    };
    Opening UpdateOnOpening(IDispatch* item, CInspectorContext& context, const CItemState& found);
    // Saves the item after the update accepted on opening, also after one
    // that failed yet left the item naming another job (one that may send);
    // when it cannot be stored, cancels the job that update made and puts
    // the item and the context back as they were read (before). True when
    // stored.
    bool StoreAcceptedUpdate(IDispatch* item, CInspectorContext& context, const CProperties& before,
                             unsigned disconnections);
    // Cancels a job that the item does not store, unless another item of
    // the watched calendars names it and keeps it. True when the job will
    // not send; false without a call once the add-in has disconnected since
    // the caller's save began (its count of disconnections).
    bool CancelUnstoredJob(IDispatch* item, const std::string& jobId, unsigned disconnections);
    // "My mobile" is ticked while no own number is stored.
    bool IsMyMobileMissing(const CProperties& properties);
    // On the user's save, the one time a missing own number is asked for:
    // when none is given, the box is unticked, as a cancelled tick is, and
    // the user told that the reminder leaves the number out.
    void AskForMyMobileOnSave(IDispatch* item, CInspectorContext& context);
    // A reason the reminder does not go out as its properties say: a box,
    // or during an unattended event a warning in the event log naming the
    // item.
    void Tell(IDispatch* item, const std::string& text);
    // Always false, after telling why the reminder does not go out to
    // everyone it names, or at all; sets retryCannotHelp.
    bool TellNotSent(IDispatch* item, const std::string& why, bool& retryCannotHelp);

    // State, in order.
    const std::string m_PropertyPrefix = "ZentavoOLSMSAddin";
    IDispatchPtr m_spRibbonUI;
    CSMSTemplateVector m_BuiltInTemplates;
    bool m_bEnabled = true;
    std::vector<std::unique_ptr<CInspectorContext>> m_InspectorContexts;
    CInfiniteLoopBreaker m_LoopBreaker;
    // Closed from inside their inspector's Close event, whose handler is
    // still running then, or at disconnection; freed at the next opening
    // once not in use (CInspectorContext::IsInUse), or with the extender.
    std::vector<std::unique_ptr<CInspectorContext>> m_ClosedContexts;
    // Jobs whose items are moving, by job id: the EntryID of the folder the
    // moved item will be added to.
    std::map<std::string, std::wstring> m_MovingJobs;
    IUnknown* m_pEventOwner = nullptr;  // not held
    unsigned m_Disconnections = 0;      // CloseInspectorContexts calls
    // The qualified name of the event the user did not start (a change in a
    // calendar: a drag, a sync) while it updates the gateway, else empty; an
    // event of the user's that arrives while one of its boxes is up clears
    // it for its own run.
    std::string m_UnattendedEvent;
    // The item such an event saves itself, while it does: the Write that
    // Outlook raises for that save of an open item is no save of the user's.
    IDispatch* m_pSavingUnattended = nullptr;  // not held

private:
    // IOutlookAddin_ItemEventHandlerTarget
    void OnItemEventWrite(COutlookAddin_ItemEventHandler* handler, VARIANT_BOOL* cancel) override;
    void OnItemEventClose(COutlookAddin_ItemEventHandler* handler) override;
    void OnItemEventUnload(COutlookAddin_ItemEventHandler* handler) override;
    void OnItemEventPropertyChange(COutlookAddin_ItemEventHandler* handler, const std::wstring& name) override;
    // IOutlookAddin_InspectorEventHandlerTarget
    void OnInspectorClose(COutlookAddin_InspectorEventHandler* handler) override;

    // The context of a control's inspector; CGeneralException with the
    // callback's text when there is none.
    CInspectorContext& ContextOfControl(const IDispatchPtr& control, const char* callback);
    long RecipientCount(const CInspectorContext& context);
    // The entry of a list control (recipients, sender, template) at the
    // index; false when the control has no such entry.
    bool ListEntryAt(const std::string& controlId, long index, const CInspectorContext& context, std::string& id,
                     std::string& label) const;
    std::wstring ScheduleFeedback(IDispatch* item, const CInspectorContext& context);
    void ManageTemplates();
    void ShowMessagePreview(IDispatch* item, const CInspectorContext& context);
    // The two dialogs, modal over the window the ribbon acts for (else the
    // active window). True when the editor was left with OK.
    bool RunTemplatesEditor(CSMSTemplateVector& templates);
    void RunMessagePreview(const std::string& recipients, const std::string& from, const std::string& message);
};

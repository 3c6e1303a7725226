object MainForm: TMainForm
  Left = 120
  Top = 80
  Width = 760
  Height = 560
  Caption = 'Orvinta 1.0'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poScreenCenter
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnCloseQuery = FormCloseQuery
  object TopPanel: TPanel
    Left = 0
    Top = 0
    Width = 752
    Height = 36
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object QuitBtn: TButton
      Left = 8
      Top = 6
      Width = 75
      Height = 25
      Caption = 'Quit'
      Hint = 'Quit the program'
      ShowHint = True
      OnClick = QuitBtnClick
    end
    object AboutBtn: TButton
      Left = 90
      Top = 6
      Width = 75
      Height = 25
      Caption = 'About'
      Hint = 'About this program'
      ShowHint = True
      OnClick = AboutBtnClick
    end
    object wwwBtn: TButton
      Left = 560
      Top = 6
      Width = 184
      Height = 25
      Caption = 'www.orvinta.example'
      Hint = 'Open our web page'
      ShowHint = True
      OnClick = wwwBtnClick
    end
  end
  object PageControl2: TPageControl
    Left = 0
    Top = 36
    Width = 752
    Height = 477
    Align = alClient
    ActivePage = TabSheet1
    OnChange = PageControl2Change
    object TabSheet1: TTabSheet
      Caption = 'eMail data base '
      object Label1: TLabel
        Left = 8
        Top = 12
        Caption = 'Data base:'
      end
      object FilenameEdit1: TEdit
        Left = 80
        Top = 8
        Width = 420
        Height = 21
        Text = ''
        OnChange = FilenameEdit1Change
      end
      object Button1: TBitBtn
        Left = 510
        Top = 6
        Width = 110
        Height = 25
        Caption = '&New database'
        OnClick = Button1Click
      end
      object ImportBtn: TBitBtn
        Left = 626
        Top = 6
        Width = 110
        Height = 25
        Caption = 'TXT/CSV import...'
        OnClick = ImportBtnClick
      end
      object Label2: TLabel
        Left = 8
        Top = 44
        Caption = 'Filter:'
      end
      object FilterEd: TEdit
        Left = 80
        Top = 40
        Width = 200
        Height = 21
        Text = ''
      end
      object FilterBtn: TBitBtn
        Left = 288
        Top = 38
        Width = 100
        Height = 25
        Caption = 'Filtered...'
        OnClick = FilterBtnClick
      end
      object Label3: TLabel
        Left = 510
        Top = 44
        Caption = 'eMail field no:'
      end
      object MailFieldEd: TOrvSpinEdit
        Left = 626
        Top = 40
        Width = 60
        Height = 21
        OnChange = MailFieldEdChange
      end
      object DBNavigator2: TDBNavigator
        Left = 8
        Top = 72
        Width = 240
        Height = 25
      end
      object DBGrid2: TDBGrid
        Left = 8
        Top = 104
        Width = 728
        Height = 336
        Anchors = [akLeft, akTop, akRight, akBottom]
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Write emails'
      object NewBtn: TBitBtn
        Left = 8
        Top = 8
        Width = 110
        Height = 25
        Caption = 'New email'
        OnClick = NewBtnClick
      end
      object DelBtn: TBitBtn
        Left = 126
        Top = 8
        Width = 110
        Height = 25
        Caption = 'Delete email'
        Enabled = False
        OnClick = DelBtnClick
      end
      object ListView1: TListView
        Left = 8
        Top = 40
        Width = 728
        Height = 200
        Anchors = [akLeft, akTop, akRight]
        Columns = <
          item
            Caption = ''
            Width = 20
          end
          item
            Caption = 'Subject'
            Width = 480
          end
          item
            Caption = 'Date'
            Width = 200
          end>
        MultiSelect = True
        ReadOnly = True
        RowSelect = True
        HideSelection = False
        ViewStyle = vsReport
        OnChange = ListView1Change
        OnDblClick = ListView1DblClick
        OnKeyDown = ListView1KeyDown
        OnMouseDown = ListView1MouseDown
      end
      object Panel19: TPanel
        Left = 8
        Top = 248
        Width = 728
        Height = 22
        Anchors = [akLeft, akTop, akRight]
        BevelOuter = bvNone
        Caption = ''
        Color = clBtnFace
        ParentColor = False
        object Label8: TLabel
          Left = 4
          Top = 4
          Caption = 'Subject:'
          Font.Name = 'DejaVu Sans'
          Font.Height = -11
          Font.Color = clBlack
          Font.Style = [fsBold]
          ParentFont = False
        end
        object Label9Betreff: TLabel
          Left = 64
          Top = 4
          Caption = ''
          Font.Name = 'DejaVu Sans'
          Font.Height = -11
          Font.Color = clBlack
          ParentFont = False
        end
      end
      object RichEdit1: TRichEdit
        Left = 8
        Top = 270
        Width = 728
        Height = 170
        Anchors = [akLeft, akTop, akRight, akBottom]
        Lines.Strings = (
          'No message selected.')
        ReadOnly = True
        ScrollBars = ssVertical
        OnEnter = RichEdit1Enter
        OnExit = RichEdit1Exit
      end
    end
    object TabSheet3: TTabSheet
      Caption = 'eMail accounts'
      object NewKontoBtn: TBitBtn
        Left = 8
        Top = 8
        Width = 110
        Height = 25
        Caption = 'New account'
        OnClick = NewKontoBtnClick
      end
      object EditKontoBtn: TBitBtn
        Left = 126
        Top = 8
        Width = 110
        Height = 25
        Caption = 'Edit account'
        Enabled = False
        OnClick = EditKontoBtnClick
      end
      object DelKontoBtn: TBitBtn
        Left = 244
        Top = 8
        Width = 110
        Height = 25
        Caption = 'Delete account'
        Enabled = False
        OnClick = DelKontoBtnClick
      end
      object ListView2: TListView
        Left = 8
        Top = 40
        Width = 728
        Height = 400
        Anchors = [akLeft, akTop, akRight, akBottom]
        Columns = <
          item
            Caption = 'Sender'
            Width = 240
          end
          item
            Caption = 'eMail'
            Width = 240
          end
          item
            Caption = 'Server'
            Width = 220
          end>
        MultiSelect = True
        ReadOnly = True
        RowSelect = True
        HideSelection = False
        ViewStyle = vsReport
        OnChange = ListView2Change
        OnDblClick = EditKontoBtnClick
        OnKeyDown = ListView2KeyDown
      end
    end
    object TabSheet4: TTabSheet
      Caption = 'Send emails'
      object Label4: TLabel
        Left = 8
        Top = 12
        Caption = 'Sender account:'
      end
      object AbsenderCombo: TComboBox
        Left = 110
        Top = 8
        Width = 300
        Height = 21
        Style = csDropDownList
        OnChange = AbsenderComboChange
      end
      object Label5: TLabel
        Left = 8
        Top = 40
        Caption = 'Email:'
      end
      object MailCombo: TComboBox
        Left = 110
        Top = 36
        Width = 300
        Height = 21
        Style = csDropDownList
      end
      object RecipientBox: TGroupBox
        Left = 8
        Top = 66
        Width = 402
        Height = 100
        Caption = 'Recipients'
        object AlleEmpfCheck: TRadioButton
          Left = 8
          Top = 18
          Width = 380
          Height = 17
          Caption = 'Mailing to all addresses'
          Checked = True
        end
        object SelectedEmpfCheck: TRadioButton
          Left = 8
          Top = 40
          Width = 380
          Height = 17
          Caption = 'Mailing to selected addresses (hold CTRL down while clicking)'
        end
        object OneEmpfCheck: TRadioButton
          Left = 8
          Top = 64
          Width = 140
          Height = 17
          Caption = 'Send to one address:'
        end
        object EmpfEd: TEdit
          Left = 150
          Top = 62
          Width = 240
          Height = 21
          Text = ''
        end
      end
      object ModeBox: TGroupBox
        Left = 8
        Top = 172
        Width = 402
        Height = 120
        Caption = 'Mode'
        object PersonalCheck: TRadioButton
          Left = 8
          Top = 18
          Width = 380
          Height = 17
          Caption = 'Send personalized emails (one mail per address)'
          Checked = True
          OnClick = PersonalCheckClick
        end
        object bccCheck: TRadioButton
          Left = 8
          Top = 40
          Width = 250
          Height = 17
          Caption = 'Send uniform emails (BCC) - one mail for'
          OnClick = bccCheckClick
        end
        object bccCountEd: TOrvSpinEdit
          Left = 262
          Top = 38
          Width = 50
          Height = 21
          MaxValue = 100
          MinValue = 1
          Value = 20
          OnChange = bccCountEdChange
        end
        object Label6: TLabel
          Left = 318
          Top = 42
          Caption = 'addresses'
        end
        object Label7: TLabel
          Left = 8
          Top = 70
          Caption = 'New connection after x mails (for use with AntiVirus sw):'
        end
        object VirusEd: TOrvSpinEdit
          Left = 8
          Top = 88
          Width = 80
          Height = 21
          MaxValue = 100000
          OnChange = VirusEdChange
        end
      end
      object ListView3: TListView
        Left = 420
        Top = 8
        Width = 316
        Height = 284
        Anchors = [akLeft, akTop, akRight]
        Columns = <
          item
            Caption = 'eMail address'
            Width = 290
          end>
        MultiSelect = True
        ReadOnly = True
        RowSelect = True
        HideSelection = False
        ViewStyle = vsReport
      end
      object SendBtn: TBitBtn
        Left = 8
        Top = 300
        Width = 120
        Height = 25
        Caption = 'Send mails...'
        OnClick = SendBtnClick
      end
      object ProgressBar1: TProgressBar
        Left = 136
        Top = 304
        Width = 274
        Height = 17
      end
      object statlabel: TLabel
        Left = 420
        Top = 306
        Caption = '0 emails of 0 sended 0 failed.'
      end
      object ErrorLog: TMemo
        Left = 8
        Top = 332
        Width = 728
        Height = 108
        Anchors = [akLeft, akTop, akRight, akBottom]
        ReadOnly = True
        ScrollBars = ssVertical
      end
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 513
    Width = 752
    Height = 19
    Panels = <
      item
        Width = 250
      end
      item
        Style = psOwnerDraw
        Width = 50
      end>
    SimplePanel = False
    OnDrawPanel = StatusBar1DrawPanel
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = 'txt'
    Filter = 'TXT und CSV Dateien (*.txt;*.csv)|*.txt;*.csv|Alle Dateien (*.*)|*.*'
  end
  object PopupMenu1: TPopupMenu
    object OpenItem: TMenuItem
      Caption = ' open'
      OnClick = ListView1DblClick
    end
    object DeleteItem: TMenuItem
      Caption = 'Delete'
      OnClick = DelBtnClick
    end
  end
end

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
    object QuitBtn: TImageBtn
      Left = 8
      Top = 3
      Width = 101
      Height = 30
      Cursor = 14000
      Hint = 'Quit the program'
      ShowHint = True
      Picture.Data = {
      0954474946496D616765B001000047494638376165001E00830000FFFFFFD4D0
      C8C7C3C2B4B0B8A6A3B29794AA8986A38080805D5B8E42408040404034337A13
      13690C0C660303610000602C0000000065001E004008FF0015081C48B0A0C183
      08132A5CC8B0E1420001224A9C48B1A2C58B18336ADCC8B1E20181103B8A9428
      80C1030412113C68202080830705021078F0604000930622263839B267C48F0A
      42FA1C4AB4684FA0428D2A5DCA1429D38B25794654C9D225CC000368DAC41960
      014D9A0C9E5A742A56E380060E08947D0AF480DBB770E3CA9D4BB7AEDDBB78F3
      D205B9B6AFDFB17CFF0AF64B563081040C1C3048A05623D7003B510E2EDCD700
      CDC65869E67C19336BCD9B0F7242962A98B2DFC38957C68C4860818305963F3F
      1EE0FA4182D28107EB669B7BB7EFA24801081F4EBCB8F1E3C8932B5FCEBCB971
      D3BFA38B842EBD7A46EAD6B353C4AE3DE2E3DFDC991A6570D0C0808002684577
      8CAC3BBCD2023457CB8C6FB5B356D0A2D94FEEBD16FE55D6F47196996CA1E944
      DA5FEE29355E03059CD740815D9D24C04E048AA6D26DFB05F59B005EA9D71D60
      1A7E28A244098EE85B8926B6C75F8AD601E5D08B30C628E38C0A0404003B}
      Picture2.Data = {
      0954474946496D616765AB01000047494638376165001E00830000FFFFFFD4D0
      C8C7C3C2B4B0B8A6A3B29794AA8986A38080805D5B8E42408040404034337A13
      13690C0C660303610000602C0000000065001E004008FF0015081C48B0A0C183
      08132A5CC8B0E1C20301224A9C48B1A2C58B18336ADCC8B1220081103B8A9C58
      E0C1830212099844E9E064800126070460F0C040C4040F108CDC19E0A382903C
      830A1DBAD32750A248932A35AA34A301070D0C0828D0C0814D91387536B5C874
      AB46010B6A7A6DEA1380D9B368D3AA5DCBB6ADDBB770E3B20539B6AE5DAE74EF
      EAB5DB756F509A57FD46EC6BB7A4CB882A5DB64409F3814CC03773EE256CF769
      8302531B880D101681009C8E676E46F020C1E4BC825313A5ACBAB548A30762CB
      9E4DBBB6EDDBB873EBDECDBB366BD7C033FE0E4E9CE2F0E2C88F2327AEBC2981
      040C1C3048406023E400594FFFDC2B80A6D600A41B086008B0F8654CD136C39A
      7CC0E06E73A4064C568FD8D866F9C68F3767D7FB9E6877C91185375E7989E577
      D57EEEA1A6D773D13D70594A0B38B0407CA15D374084A525B85D6B035435DF72
      C62908E272FD8D285889266AE7D08A2CB6E8E28B0A0404003B}
      OnClick = QuitBtnClick
    end
    object AboutBtn: TImageBtn
      Left = 116
      Top = 3
      Width = 101
      Height = 30
      Cursor = 14000
      Hint = 'About this program'
      ShowHint = True
      Picture.Data = {
      0954474946496D616765DC01000047494638376165001E00830000FFFFFFD4D0
      C8CDC9C5BAB6BBA5A2B18E8BA68080806E6C965B5A8D51508840404035347A1F
      1E6F1010680404620000602C0000000065001E004008FF0015081C48B0A0C183
      08132A5CC8B0E1420001224A9C48B1A2C58B18336ADCC8B1A20181103B6E44F0
      A04144060F12446CF0A040C404290F948C28E041CB000E6E0EB03920E2820708
      4476FCA820A4D0A348932AA548D4E8D2A750A34E6C2A55A2809C0F1CF45C7933
      EACFA05523520D4BB6EC46A206D2AA5DCBB6ADDBB770E3CA9D4BF72D48B378F3
      4EBDABB76FD9B17E59BAF4BB14B0D49F09483290C892C100020E1C101080F280
      00920B22E674B9F3C1D6AF7FF9462D505200E3070702347E1C7972E5CB0F3207
      408940004CCF2F63872E4AB87754C3BE830B6D0AA0B8F1E3C8932B5FCEBCB9F3
      E7D09303174E5DE3F4EAD83D8ACECE9DE9F6EEE0AF3F91BDADF2F460A8A0C98A
      574ABA41E5D30816B81F7C99810306B535EBE439DBA64D9355AD871401361140
      E0030470955A005F91F680699D25B859009D7D06D46E4E3D25004BFED9E48069
      2C2DD8A04D101688D34D075A085658020A85D844302DC6527CF345340002F6E1
      675A0004E428136E14DAA75B80DF81C75D8B46FA866492842DC9645F443924E5
      94545669A5020101003B}
      Picture2.Data = {
      0954474946496D616765E601000047494638376165001E00830000FFFFFFD4D0
      C8CDC9C5BAB6BBA5A2B18E8BA68080806E6C965B5A8D51508840404035347A1F
      1E6F1010680404620000602C0000000065001E004008FF0015081C48B0A0C183
      08132A5CC8B0E1420301224A9C48B1A2C58B18336ADCC8B1220081103B7224F0
      E0010192262336787020E28207080A94141060404902011C3C2850B3E4009730
      4572FCA820A4D0A348932AA548D4E8D2A750A34E6C2A956282920926AEE419F5
      2582AA11A9567D9955E2550601562258D08001D7010818386080806600027219
      1CF0197180DC070BAA120540B8B0E1C388132B5ECCB8B1E3C78A41829D4C79A8
      E4CA98334B14ABB9F364CE5565B66529512D5BB71105C49D5B37A24E9E361FFC
      6450B26403C197A50A5859BBA4039A2B5B06F02AF301CDD8385FDFE53B3C2858
      D09EA33F852EBDFAD1A606B26BDFCEBDBBF7EFE0C38B9B1F4FBE3B75EBE8379E
      4FCFDEE2FAF6F0C3E68E4F7FF3FCCE5BEB637CAF5480CE070EFCA4D24E5279F5
      D97D5D3D9000020FA03520030310E08003040840DB01AA01E61A81B10968E073
      083EC5E06D01D056567E015C95C05E240A50124FCA7508D457201605966876A5
      45DA4A104A48A1852C65185889300970956C115D35246E36EAA71F7F4E560765
      94D14D4965674439A4E5965C76E9A5020101003B}
      OnClick = AboutBtnClick
    end
    object wwwBtn: TSpeedButton
      Left = 560
      Top = 6
      Width = 184
      Height = 25
      Caption = 'www.orvinta.example'
      Hint = 'Open our web page'
      ShowHint = True
      Flat = True
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
      object FilenameEdit1: TFilenameEdit
        Left = 80
        Top = 8
        Width = 420
        Height = 21
        DialogKind = dkSave
        Filter = 'DBASE-Datenbanken (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*'
        NumGlyphs = 1
        OnChange = FilenameEdit1Change
      end
      object Button1: TBitBtnXP
        Left = 510
        Top = 6
        Width = 110
        Height = 25
        Caption = '&New database'
        OnClick = Button1Click
      end
      object ImportBtn: TBitBtnXP
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
      object FilterBtn: TBitBtnXP
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
      object NewBtn: TBitBtnXP
        Left = 8
        Top = 8
        Width = 110
        Height = 25
        Caption = 'New email'
        OnClick = NewBtnClick
      end
      object DelBtn: TBitBtnXP
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
        object Label8: TOrvLabel
          Left = 4
          Top = 4
          Caption = 'Subject:'
          Font.Name = 'DejaVu Sans'
          Font.Height = -11
          Font.Color = clBlack
          Font.Style = [fsBold]
          ParentFont = False
        end
        object Label9Betreff: TOrvLabel
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
      object NewKontoBtn: TBitBtnXP
        Left = 8
        Top = 8
        Width = 110
        Height = 25
        Caption = 'New account'
        OnClick = NewKontoBtnClick
      end
      object EditKontoBtn: TBitBtnXP
        Left = 126
        Top = 8
        Width = 110
        Height = 25
        Caption = 'Edit account'
        Enabled = False
        OnClick = EditKontoBtnClick
      end
      object DelKontoBtn: TBitBtnXP
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
          Width = 164
          Height = 17
          Caption = 'Send to one address:'
        end
        object EmpfEd: TEdit
          Left = 176
          Top = 62
          Width = 214
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
          Width = 270
          Height = 17
          Caption = 'Send uniform emails (BCC) - one mail for'
          OnClick = bccCheckClick
        end
        object bccCountEd: TOrvSpinEdit
          Left = 280
          Top = 38
          Width = 50
          Height = 21
          MaxValue = 100
          MinValue = 1
          Value = 20
          OnChange = bccCountEdChange
        end
        object Label6: TLabel
          Left = 336
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
      object SendBtn: TBitBtnXP
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

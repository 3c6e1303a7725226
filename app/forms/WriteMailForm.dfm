object WriteMailForm: TWriteMailForm
  Left = 140
  Top = 100
  Width = 780
  Height = 580
  BorderStyle = bsSizeable
  Caption = 'Write email'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poMainFormCenter
  OnCreate = FormCreate
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  object HeadPanel: TPanel
    Left = 0
    Top = 0
    Width = 772
    Height = 168
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object Label1: TLabel
      Left = 8
      Top = 12
      Caption = 'Subject:'
    end
    object Edit1: TEdit
      Left = 64
      Top = 8
      Width = 600
      Height = 21
      Anchors = [akLeft, akTop, akRight]
      Text = ''
    end
    object SpeedButton1: TSpeedButton
      Left = 676
      Top = 6
      Width = 88
      Height = 25
      Anchors = [akTop, akRight]
      Caption = 'Back..'
      OnClick = SpeedButton1Click
    end
    object MailTyp1: TRadioButton
      Left = 8
      Top = 40
      Width = 340
      Height = 17
      Caption = 'Design (generated HTML and blank text)'
      Checked = True
      OnClick = MailTyp1Click
    end
    object MailTyp2: TRadioButton
      Left = 8
      Top = 60
      Width = 340
      Height = 17
      Caption = 'HTML mail (blank HTML && blank text)'
      OnClick = MailTyp2Click
    end
    object MailTyp3: TRadioButton
      Left = 8
      Top = 80
      Width = 340
      Height = 17
      Caption = 'Text mail (only blank text)'
      OnClick = MailTyp3Click
    end
    object AutoCreateCheck: TCheckBox
      Left = 8
      Top = 104
      Width = 340
      Height = 17
      Caption = 'Create blank text automatically from HTML code'
      Checked = True
      OnClick = AutoCreateCheckClick
    end
    object Label2: TLabel
      Left = 8
      Top = 136
      Caption = 'Data fields:'
    end
    object FelderCombo: TComboBox
      Left = 80
      Top = 132
      Width = 160
      Height = 21
      Style = csDropDownList
    end
    object InsertField: TBitBtnXP
      Left = 248
      Top = 130
      Width = 100
      Height = 25
      Caption = 'Add datafield'
      OnClick = InsertFieldClick
    end
    object ListView1: TListView
      Left = 360
      Top = 40
      Width = 404
      Height = 84
      Anchors = [akLeft, akTop, akRight]
      Columns = <
        item
          Caption = 'File'
          Width = 290
        end
        item
          Caption = 'CID'
          Width = 100
        end>
      MultiSelect = True
      ReadOnly = True
      RowSelect = True
      HideSelection = False
      ViewStyle = vsReport
      OnChange = ListView1Change
    end
    object AttachBtn: TBitBtnXP
      Left = 360
      Top = 130
      Width = 86
      Height = 25
      Caption = 'Attach files...'
      OnClick = AttachBtnClick
    end
    object DelAttachBtn: TBitBtnXP
      Left = 450
      Top = 130
      Width = 172
      Height = 25
      Caption = 'Delete selected attachments'
      Enabled = False
      OnClick = DelAttachBtnClick
    end
    object DelAllAttachBtn: TBitBtnXP
      Left = 626
      Top = 130
      Width = 138
      Height = 25
      Caption = 'Delete all attachments'
      OnClick = DelAllAttachBtnClick
    end
  end
  object PageControl1: TPageControl
    Left = 0
    Top = 168
    Width = 772
    Height = 385
    Align = alClient
    ActivePage = TabSheet1
    OnChange = PageControl1Change
    object TabSheet1: TTabSheet
      Caption = 'Design'
      object PageControl2: TPageControl
        Left = 0
        Top = 0
        Width = 764
        Height = 357
        Align = alClient
        ActivePage = TabSheet4
        OnChange = PageControl2Change
        object TabSheet4: TTabSheet
          Caption = 'Edit'
          object ToolPanel: TPanel
            Left = 0
            Top = 0
            Width = 756
            Height = 58
            Align = alTop
            BevelOuter = bvNone
            Caption = ''
            object PLeftBtn: TSpeedButton
              Left = 4
              Top = 4
              Width = 46
              Height = 22
              Caption = 'Left'
              Hint = 'Align left'
              GroupIndex = 1
              Down = True
              OnClick = PLeftBtnClick
            end
            object PCenterBtn: TSpeedButton
              Left = 52
              Top = 4
              Width = 52
              Height = 22
              Caption = 'Center'
              Hint = 'Center'
              GroupIndex = 1
              OnClick = PCenterBtnClick
            end
            object PRightBtn: TSpeedButton
              Left = 106
              Top = 4
              Width = 46
              Height = 22
              Caption = 'Right'
              Hint = 'Align right'
              GroupIndex = 1
              OnClick = PRightBtnClick
            end
            object BoldBtn: TSpeedButton
              Left = 160
              Top = 4
              Width = 23
              Height = 22
              Caption = 'F'
              Hint = 'Bold'
              GroupIndex = 2
              AllowAllUp = True
              OnClick = BoldBtnClick
            end
            object ItalicBtn: TSpeedButton
              Left = 185
              Top = 4
              Width = 23
              Height = 22
              Caption = 'K'
              Hint = 'Italic'
              GroupIndex = 3
              AllowAllUp = True
              OnClick = ItalicBtnClick
            end
            object UnderlineBtn: TSpeedButton
              Left = 210
              Top = 4
              Width = 23
              Height = 22
              Caption = 'U'
              Hint = 'Underline'
              GroupIndex = 4
              AllowAllUp = True
              OnClick = UnderlineBtnClick
            end
            object FColorBtn: TSpeedButton
              Left = 240
              Top = 4
              Width = 60
              Height = 22
              Caption = 'Colour'
              Hint = 'Text colour'
              OnClick = FColorBtnClick
            end
            object BkColorBtn: TSpeedButton
              Left = 302
              Top = 4
              Width = 84
              Height = 22
              Caption = 'Background'
              Hint = 'Background colour'
              OnClick = BkColorBtnClick
            end
            object NumberingBtn: TSpeedButton
              Left = 392
              Top = 4
              Width = 60
              Height = 22
              Caption = 'Bullets'
              Hint = 'Bullets'
              GroupIndex = 5
              AllowAllUp = True
              OnClick = NumberingBtnClick
            end
            object PicBtn: TSpeedButton
              Left = 458
              Top = 4
              Width = 60
              Height = 22
              Caption = 'Picture'
              Hint = 'Insert picture'
              OnClick = PicBtnClick
            end
            object ImportBtn: TBitBtnXP
              Left = 524
              Top = 3
              Width = 100
              Height = 24
              Caption = 'RTF import...'
              OnClick = ImportBtnClick
            end
            object FontName: TComboBox
              Left = 4
              Top = 32
              Width = 180
              Height = 21
              OnChange = FontNameChange
            end
            object FontSize: TComboBox
              Left = 190
              Top = 32
              Width = 56
              Height = 21
              Items.Strings = (
                '8'
                '10'
                '12'
                '14'
                '18'
                '24'
                '36')
              OnChange = FontSizeChange
            end
            object NewsCheck: TRadioButton
              Left = 256
              Top = 34
              Width = 140
              Height = 17
              Caption = 'Newsletter design'
              Checked = True
              OnClick = NewsCheckClick
            end
            object NormalCheck: TRadioButton
              Left = 400
              Top = 34
              Width = 110
              Height = 17
              Caption = 'Normal eMail'
              OnClick = NewsCheckClick
            end
            object NewsConfigBtn: TBitBtnXP
              Left = 524
              Top = 31
              Width = 140
              Height = 24
              Caption = 'Newsletter design...'
              OnClick = NewsConfigBtnClick
            end
          end
          object RichEdit1: TRichEdit
            Left = 0
            Top = 58
            Width = 756
            Height = 271
            Align = alClient
            ScrollBars = ssBoth
            WordWrap = False
            OnChange = RichEdit1Change
            OnSelectionChange = RichEdit1SelectionChange
          end
        end
        object TabSheet5: TTabSheet
          Caption = 'Source code'
          object SourcePanel: TPanel
            Left = 0
            Top = 297
            Width = 756
            Height = 32
            Align = alBottom
            BevelOuter = bvNone
            Caption = ''
            object EditBtn: TBitBtnXP
              Left = 4
              Top = 4
              Width = 220
              Height = 24
              Caption = 'Edit Source code as blank HTML...'
              OnClick = EditBtnClick
            end
          end
          object Memo3: TMemo
            Left = 0
            Top = 0
            Width = 756
            Height = 297
            Align = alClient
            ScrollBars = ssBoth
            WordWrap = False
            OnChange = Memo1Change
          end
        end
        object TabSheet6: TTabSheet
          Caption = 'Preview'
          object WebBrowser1: TWebBrowser
            Left = 0
            Top = 0
            Width = 756
            Height = 329
            Align = alClient
          end
        end
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Blank HTML'
      object PageControl3: TPageControl
        Left = 0
        Top = 0
        Width = 764
        Height = 357
        Align = alClient
        ActivePage = TabSheet7
        OnChange = PageControl3Change
        object TabSheet7: TTabSheet
          Caption = 'Edit'
          object HtmlPanel: TPanel
            Left = 0
            Top = 0
            Width = 756
            Height = 32
            Align = alTop
            BevelOuter = bvNone
            Caption = ''
            object SpeedButton2: TSpeedButton
              Left = 4
              Top = 4
              Width = 100
              Height = 24
              Caption = 'Insert picture'
              OnClick = PicBtnClick
            end
            object HTMLImport: TBitBtnXP
              Left = 110
              Top = 4
              Width = 110
              Height = 24
              Caption = 'HTML import...'
              OnClick = HTMLImportClick
            end
            object ProgressBar1: TProgressBar
              Left = 228
              Top = 8
              Width = 200
              Height = 16
            end
          end
          object Memo1: TMemo
            Left = 0
            Top = 32
            Width = 756
            Height = 297
            Align = alClient
            ScrollBars = ssBoth
            WordWrap = False
            OnChange = Memo1Change
          end
        end
        object TabSheet8: TTabSheet
          Caption = 'Preview'
          object WebBrowser2: TWebBrowser
            Left = 0
            Top = 0
            Width = 756
            Height = 329
            Align = alClient
          end
        end
      end
    end
    object TabSheet3: TTabSheet
      Caption = 'Blank text'
      object Memo2: TMemo
        Left = 0
        Top = 0
        Width = 764
        Height = 357
        Align = alClient
        ScrollBars = ssBoth
        WordWrap = False
      end
    end
  end
  object Timer1: TTimer
    Enabled = False
    OnTimer = Timer1Timer
  end
  object OpenDialog1: TOpenDialog
    Options = [ofHideReadOnly, ofAllowMultiSelect, ofPathMustExist, ofFileMustExist, ofEnableSizing]
  end
  object OpenDialog2: TOpenDialog
    Filter = 'JPG, GIF, PNG-Grafiken (*.jpg,*.jpeg,*.gif,*.png)|*.jpg;*.jpeg;*.gif;*.png'
  end
  object OpenDialog3: TOpenDialog
    Filter = 'RTF-Dateien (*.RTF)|*.RTF'
  end
  object OpenDialog4: TOpenDialog
    Filter = 'HTML-Dateien (*.htm;*.html)|*.html;*.htm|Alle Dateien (*.*)|*.*'
  end
  object ColorDialog1: TColorDialog
    Options = [cdFullOpen, cdAnyColor]
  end
end
